#include "ScriptedResponder.h"

using platform::FileDialogRequest;
using platform::InputBoxRequest;
using platform::MessageBoxRequest;
using platform::MsgButtons;
using platform::MsgResult;

namespace {

MsgResult firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel: return MsgResult::Ok;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNo: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::Ok;
}

template <typename T> std::optional<T> takeFront(std::vector<T> &queue)
{
    if (queue.empty())
        return std::nullopt;
    T front = std::move(queue.front());
    queue.erase(queue.begin());
    return front;
}

}  // namespace

ScriptedResponder::ScriptedResponder()
{
    platform::ui::setResponder(this);
}

ScriptedResponder::~ScriptedResponder()
{
    platform::ui::setResponder(nullptr);
}

QStringList ScriptedResponder::messageTexts() const
{
    QStringList texts;
    for (const auto &m : messages)
        texts << m.text;
    return texts;
}

MsgResult ScriptedResponder::messageBox(const MessageBoxRequest &request)
{
    messages.push_back(request);
    if (onMessage)
        onMessage(request);
    return takeFront(messageAnswers_).value_or(firstButton(request.buttons));
}

std::optional<QString> ScriptedResponder::inputBox(const InputBoxRequest &request)
{
    inputs.push_back(request);
    if (auto answer = takeFront(inputAnswers_))
        return *answer;
    return request.defaultText;
}

QString ScriptedResponder::fileDialog(const FileDialogRequest &request)
{
    fileDialogs.push_back(request);
    return takeFront(fileAnswers_).value_or(QString());
}
