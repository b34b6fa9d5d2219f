#include "FAdminPsw.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FAdminPsw::FAdminPsw(QWidget *parent)
    : QDialog(parent), txtPassword(makePasswordBox(QStringLiteral("txtPassword"), this)), cmdOk(new QPushButton(this)),
      cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("FAdminPsw"));
    lblLabels[1] = new QLabel(this);
    lblLabels[1]->setObjectName(QStringLiteral("lblLabels_1"));
    lblLabels[1]->setBuddy(txtPassword);
    layOut(this, cmdOk, cmdCancel)->addRow(lblLabels[1], txtPassword);

    connect(cmdOk, &QPushButton::clicked, this, &FAdminPsw::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FAdminPsw::cmdCancel_Click);
    Localize();
}

void FAdminPsw::Localize()
{
    setWindowTitle(mdlStrings::Translate(txt::AdministratorPassword));
    cmdOk->setText(mdlStrings::Translate(txt::Ok));
    cmdCancel->setText(mdlStrings::Translate(txt::Cancel));
    lblLabels[1]->setText(mdlStrings::Translate(txt::Password));
}

QLineEdit *FAdminPsw::makePasswordBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return box;
}

QFormLayout *FAdminPsw::layOut(QDialog *dialog, QPushButton *ok, QPushButton *cancel)
{
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *form = new QFormLayout;
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addLayout(buttons);
    return form;
}

void FAdminPsw::reject()
{
    Password = PasswordCancelMarker;
    QDialog::reject();
}

void FAdminPsw::cmdOk_Click()
{
    Password = txtPassword->text();
    accept();
}

void FAdminPsw::cmdCancel_Click()
{
    reject();
}
