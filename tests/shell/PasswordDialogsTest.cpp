#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "platform/UiService.h"
#include "shell/FAdminPsw.h"
#include "shell/FChangePsw.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PasswordDialogs : public ::testing::Test {
protected:
    TempProgramFolder folder;  // no Strings.ini: the built-in English texts
    ScriptedResponder responder;
};

void type(QLineEdit *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

TEST_F(PasswordDialogs, LogOnDialogGivesTheTypedTextOrTheMarker)
{
    EXPECT_EQ(PasswordCancelMarker, QStringLiteral("Rk8vNw2QhT"));
    struct Case {
        const char *what;
        QString typed;
        const char *button;  // nullptr: the window's close box
        QString expected;
        QDialog::DialogCode code;
    };
    const Case cases[] = {
        {"ok", QStringLiteral("Secret12"), "cmdOk", QStringLiteral("Secret12"), QDialog::Accepted},
        {"ok with an empty box", QString(), "cmdOk", QString(), QDialog::Accepted},
        {"longer than the device keeps", QStringLiteral("0123456789AB"), "cmdOk", QStringLiteral("0123456789AB"),
         QDialog::Accepted},
        {"cancel", QStringLiteral("typed"), "cmdCancel", PasswordCancelMarker, QDialog::Rejected},
        {"close box", QStringLiteral("typed"), nullptr, PasswordCancelMarker, QDialog::Rejected},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FAdminPsw dialog;
        dialog.show();
        type(dialog.findChild<QLineEdit *>(QStringLiteral("txtPassword")), c.typed);
        if (c.button)
            QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(c.button)), Qt::LeftButton);
        else
            dialog.close();
        EXPECT_EQ(dialog.Password, c.expected);
        EXPECT_EQ(dialog.result(), c.code);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(responder.messages.empty());
}

TEST_F(PasswordDialogs, CancelAfterAnEarlierOkStillGivesTheMarker)
{
    FAdminPsw dialog;
    dialog.show();
    type(dialog.txtPassword, QStringLiteral("first"));
    QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);
    ASSERT_EQ(dialog.Password, QStringLiteral("first"));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.Password, PasswordCancelMarker);
}

TEST_F(PasswordDialogs, ChangeDialogRefusesBoxesThatDiffer)
{
    struct Case {
        const char *what;
        QString first;
        QString second;
    };
    const Case cases[] = {
        {"letter case only", QStringLiteral("Secret"), QStringLiteral("secret")},
        {"one box empty", QStringLiteral("Secret"), QString()},
        {"a trailing blank", QStringLiteral("Secret"), QStringLiteral("Secret ")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        responder.messages.clear();
        FChangePsw dialog;
        dialog.show();
        type(dialog.txtNewPsw1, c.first);
        type(dialog.txtNewPsw2, c.second);
        QTest::mouseClick(dialog.cmdOk, Qt::LeftButton);

        ASSERT_EQ(responder.messages.size(), 1u);
        EXPECT_EQ(responder.messages[0].text, QStringLiteral("The new password retyped did not match"));
        EXPECT_EQ(responder.messages[0].title, QStringLiteral("Varix Configuration Console"));
        EXPECT_EQ(responder.messages[0].icon, platform::MsgIcon::Exclamation);
        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
        EXPECT_EQ(dialog.txtNewPsw1->text(), c.first);
        EXPECT_EQ(dialog.txtNewPsw2->text(), c.second);
        EXPECT_EQ(dialog.NewPassword, PasswordCancelMarker);
    }
}

TEST_F(PasswordDialogs, ChangeDialogGivesTheNewPasswordOrTheMarker)
{
    struct Case {
        const char *what;
        QString typed;
        bool ok;
        QString expected;
    };
    const Case cases[] = {
        {"matching boxes", QStringLiteral("NewPass9"), true, QStringLiteral("NewPass9")},
        {"both empty", QString(), true, QString()},
        {"cancel", QStringLiteral("NewPass9"), false, PasswordCancelMarker},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FChangePsw dialog;
        dialog.show();
        type(dialog.txtNewPsw1, c.typed);
        type(dialog.txtNewPsw2, c.typed);
        QTest::mouseClick(c.ok ? dialog.cmdOk : dialog.cmdCancel, Qt::LeftButton);
        EXPECT_EQ(dialog.NewPassword, c.expected);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(responder.messages.empty());
}

TEST_F(PasswordDialogs, CaptionsAndMaskedBoxes)
{
    FAdminPsw logOn;
    EXPECT_EQ(logOn.windowTitle(), QStringLiteral("Administrator password"));
    EXPECT_EQ(logOn.findChild<QLabel *>(QStringLiteral("lblLabels_1"))->text(), QStringLiteral("Password"));
    EXPECT_EQ(logOn.cmdOk->text(), QStringLiteral("Ok"));
    EXPECT_EQ(logOn.cmdCancel->text(), QStringLiteral("Cancel"));

    FChangePsw change;
    EXPECT_EQ(change.windowTitle(), QStringLiteral("Change password"));
    EXPECT_EQ(change.findChild<QLabel *>(QStringLiteral("lblLabels_0"))->text(),
              QStringLiteral("&New password (max 8 chars)"));
    EXPECT_EQ(change.findChild<QLabel *>(QStringLiteral("lblLabels_2"))->text(), QStringLiteral("Retype new password"));

    for (QLineEdit *box : {logOn.txtPassword, change.txtNewPsw1, change.txtNewPsw2}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*');
        EXPECT_EQ(box->maxLength(), 32767) << "no box limits what is typed";
    }
}

TEST_F(PasswordDialogs, ShortDialogsAreWideEnoughForTheirTitles)
{
    FAdminPsw logOn;
    FChangePsw change;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Varix Configuration Console"), QStringLiteral("Ok"));
    for (QDialog *dialog : std::initializer_list<QDialog *>{&logOn, &change, &box}) {
        dialog->show();
        QTest::qWait(300);  // a message box lays itself out again once shown
        QFont bold = dialog->font();
        bold.setBold(true);
        // The title in bold beside the window's icon and its minimise, maximise and close buttons.
        const QFontMetrics title(bold);
        EXPECT_GE(dialog->width(), title.horizontalAdvance(dialog->windowTitle()) + 4 * title.height())
            << dialog->windowTitle().toStdString();
    }
}

}  // namespace
