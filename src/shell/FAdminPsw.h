#pragma once

#include <QDialog>
#include <QMap>
#include <QString>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// What both password dialogs leave in their result when the user cancels.
inline const QString PasswordCancelMarker = QStringLiteral("Rk8vNw2QhT");

// Asks for the password of a log-on. The caller reads Password after the modal dialog returns.
class FAdminPsw : public QDialog {
    Q_OBJECT
public:
    explicit FAdminPsw(QWidget *parent = nullptr);

    // The typed password after Ok; the cancel marker after Cancel, Escape or the close box.
    QString Password = PasswordCancelMarker;

    QLineEdit *txtPassword;
    QMap<int, QLabel *> lblLabels;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    void Localize();

    // A text box that shows every typed character as "*"; the password dialogs share it.
    static QLineEdit *makePasswordBox(const QString &name, QWidget *parent);

    // Lays out a password dialog: its labelled boxes in the returned form above Ok and Cancel.
    static QFormLayout *layOut(QDialog *dialog, QPushButton *ok, QPushButton *cancel);

    void reject() override;

private:
    void cmdOk_Click();
    void cmdCancel_Click();
};
