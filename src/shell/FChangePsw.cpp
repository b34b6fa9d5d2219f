#include "FChangePsw.h"

#include "FAdminPsw.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/UiService.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

FChangePsw::FChangePsw(QWidget *parent)
    : QDialog(parent), NewPassword(PasswordCancelMarker),
      txtNewPsw1(FAdminPsw::makePasswordBox(QStringLiteral("txtNewPsw1"), this)),
      txtNewPsw2(FAdminPsw::makePasswordBox(QStringLiteral("txtNewPsw2"), this)), cmdOk(new QPushButton(this)),
      cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("FChangePsw"));
    QFormLayout *form = FAdminPsw::layOut(this, cmdOk, cmdCancel);
    for (const auto &[index, box] : {std::pair{0, txtNewPsw1}, std::pair{2, txtNewPsw2}}) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblLabels_%1").arg(index));
        label->setBuddy(box);
        lblLabels[index] = label;
        form->addRow(label, box);
    }

    connect(cmdOk, &QPushButton::clicked, this, &FChangePsw::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FChangePsw::cmdCancel_Click);
    Localize();
}

void FChangePsw::Localize()
{
    setWindowTitle(mdlStrings::Translate(txt::ChangePassword));
    cmdOk->setText(mdlStrings::Translate(txt::Ok));
    cmdCancel->setText(mdlStrings::Translate(txt::Cancel));
    lblLabels[0]->setText(mdlStrings::Translate(txt::NewPasswordMax8));
    lblLabels[2]->setText(mdlStrings::Translate(txt::RetypeNewPassword));
}

void FChangePsw::reject()
{
    NewPassword = PasswordCancelMarker;
    QDialog::reject();
}

void FChangePsw::cmdOk_Click()
{
    if (txtNewPsw1->text() != txtNewPsw2->text()) {
        platform::ui::msgBox(mdlStrings::Translate(txt::PasswordsDoNotMatch), platform::MsgButtons::Ok,
                             platform::MsgIcon::Exclamation, platform::ui::DefaultTitle);
        return;
    }
    NewPassword = txtNewPsw1->text();
    accept();
}

void FChangePsw::cmdCancel_Click()
{
    reject();
}
