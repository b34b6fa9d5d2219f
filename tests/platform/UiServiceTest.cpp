#include "platform/UiService.h"
#include "ScriptedResponder.h"

#include <gtest/gtest.h>

namespace ui = platform::ui;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

TEST(UiService, ScriptedAnswersInOrderThenDefaults)
{
    ScriptedResponder responder;
    responder.queueMessageAnswer(MsgResult::No);
    EXPECT_EQ(ui::msgBox("Proceed?", MsgButtons::YesNo, MsgIcon::Information), MsgResult::No);
    const struct {
        MsgButtons buttons;
        MsgResult whenDry;
    } dry[] = {{MsgButtons::Ok, MsgResult::Ok},
               {MsgButtons::OkCancel, MsgResult::Ok},
               {MsgButtons::YesNo, MsgResult::Yes},
               {MsgButtons::YesNoCancel, MsgResult::Yes},
               {MsgButtons::RetryCancel, MsgResult::Retry},
               {MsgButtons::AbortRetryIgnore, MsgResult::Abort}};
    for (const auto &d : dry)
        EXPECT_EQ(ui::msgBox("text", d.buttons), d.whenDry);

    responder.queueInputAnswer(QStringLiteral("10.0.0.7"));
    responder.queueInputAnswer(std::nullopt);
    EXPECT_EQ(ui::inputBox("New IP Address", "", "192.168.0.1"), std::optional<QString>("10.0.0.7"));
    EXPECT_EQ(ui::inputBox("New IP Address", "", "192.168.0.1"), std::nullopt);
    EXPECT_EQ(ui::inputBox("New IP Address", "", "192.168.0.1"), std::optional<QString>("192.168.0.1"));

    responder.queueFileAnswer("/tmp/x.vps");
    platform::FileDialogRequest save;
    save.kind = platform::FileDialogRequest::Kind::Save;
    save.defaultSuffix = "vps";
    EXPECT_EQ(ui::fileDialog(save), "/tmp/x.vps");
    EXPECT_EQ(ui::fileDialog(save), "") << "a dry script cancels";
    ASSERT_EQ(responder.fileDialogs.size(), 2u);
    EXPECT_EQ(responder.fileDialogs[0].defaultSuffix, "vps");
}

TEST(UiService, RecordsEveryQuestionWithItsTitle)
{
    ScriptedResponder responder;
    int seenBeforeAnswer = 0;
    responder.onMessage = [&](const platform::MessageBoxRequest &) { ++seenBeforeAnswer; };
    ui::msgBox("Invalid date", MsgButtons::Ok, MsgIcon::Exclamation);
    ui::msgBox("Download complete.", MsgButtons::Ok, MsgIcon::Information, "Own title");
    ui::inputBox("Date/Time", "Device Clock");
    ASSERT_EQ(responder.messages.size(), 2u);
    EXPECT_EQ(responder.messages[0].title, "Varix Configuration Console");
    EXPECT_EQ(responder.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(responder.messages[1].title, "Own title");
    EXPECT_EQ(responder.messageTexts(), (QStringList{"Invalid date", "Download complete."}));
    EXPECT_EQ(seenBeforeAnswer, 2);
    ASSERT_EQ(responder.inputs.size(), 1u);
    EXPECT_EQ(responder.inputs[0].title, "Device Clock");
}

TEST(UiService, AResponderAnswersOnlyWhileItLives)
{
    auto outer = std::make_unique<ScriptedResponder>();
    {
        ScriptedResponder inner;
        ui::msgBox("to inner");
        EXPECT_EQ(inner.messages.size(), 1u);
    }
    // The inner one restored the desktop responder; a new script takes over again.
    ScriptedResponder next;
    ui::msgBox("to next");
    EXPECT_EQ(next.messages.size(), 1u);
    EXPECT_TRUE(outer->messages.empty());
}

}  // namespace
