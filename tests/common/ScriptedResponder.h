#pragma once

#include "platform/UiService.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Records every question and answers from a script; when the script runs dry it answers with
// the first button (Ok, Yes, Abort, Retry), an input box with its default, a file dialog with cancel.
class ScriptedResponder : public platform::UiResponder {
public:
    ScriptedResponder();
    ~ScriptedResponder() override;

    std::vector<platform::MessageBoxRequest> messages;
    std::vector<platform::InputBoxRequest> inputs;
    std::vector<platform::FileDialogRequest> fileDialogs;

    void queueMessageAnswer(platform::MsgResult answer) { messageAnswers_.push_back(answer); }
    void queueInputAnswer(std::optional<QString> answer) { inputAnswers_.push_back(std::move(answer)); }
    void queueFileAnswer(const QString &path) { fileAnswers_.push_back(path); }

    // Called for each message box before it is answered (for example to check the program's state).
    std::function<void(const platform::MessageBoxRequest &)> onMessage;

    QStringList messageTexts() const;

    platform::MsgResult messageBox(const platform::MessageBoxRequest &request) override;
    std::optional<QString> inputBox(const platform::InputBoxRequest &request) override;
    QString fileDialog(const platform::FileDialogRequest &request) override;

private:
    std::vector<platform::MsgResult> messageAnswers_;
    std::vector<std::optional<QString>> inputAnswers_;
    std::vector<QString> fileAnswers_;
};
