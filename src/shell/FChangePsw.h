#pragma once

#include <QDialog>
#include <QMap>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a new password twice. The caller reads NewPassword after the modal dialog returns.
class FChangePsw : public QDialog {
    Q_OBJECT
public:
    explicit FChangePsw(QWidget *parent = nullptr);

    // The new password after Ok; the cancel marker after Cancel, Escape or the close box.
    QString NewPassword;

    QLineEdit *txtNewPsw1;
    QLineEdit *txtNewPsw2;
    QMap<int, QLabel *> lblLabels;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    void Localize();

    void reject() override;

private:
    void cmdOk_Click();
    void cmdCancel_Click();
};
