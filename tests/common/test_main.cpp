#include "ScriptedResponder.h"
#include "platform/ConsoleApplication.h"

#include <gtest/gtest.h>

namespace {

// A question that no test expects fails the test that meets it, naming it, and is answered as the
// scripted user answers, so that the test goes on instead of blocking in a real modal box.
class UnexpectedQuestions : public ScriptedResponder {
public:
    platform::MsgResult messageBox(const platform::MessageBoxRequest &request) override
    {
        ADD_FAILURE() << "unexpected box: " << request.text.toStdString();
        return ScriptedResponder::messageBox(request);
    }
    std::optional<QString> inputBox(const platform::InputBoxRequest &request) override
    {
        ADD_FAILURE() << "unexpected input box: " << request.prompt.toStdString();
        return ScriptedResponder::inputBox(request);
    }
    QString fileDialog(const platform::FileDialogRequest &request) override
    {
        ADD_FAILURE() << "unexpected file dialog: " << request.title.toStdString();
        return ScriptedResponder::fileDialog(request);
    }
};

// Every test starts with it; a test that expects questions installs its own responder.
class AnswerUnexpectedQuestions : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo &) override { platform::ui::setResponder(&responder_); }
    void OnTestEnd(const ::testing::TestInfo &) override { platform::ui::setResponder(nullptr); }

private:
    UnexpectedQuestions responder_;
};

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // The program's own application object, so that tests see events delivered as users do.
    platform::ConsoleApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new AnswerUnexpectedQuestions);
    return RUN_ALL_TESTS();
}
