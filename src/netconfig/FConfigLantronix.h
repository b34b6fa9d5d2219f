#pragma once

#include "AddressPolicy.h"
#include "DeviceServerProtocol.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the network dialog hands the module setup dialog and gets back from it: the setup texts
// to edit, the checks of a static address, and whether the user accepted them.
struct SetupExchange : DeviceServerProtocol::SetupFields {
    AddressPolicy Policy;
    bool ApplySetup = false;
};

// The small modal dialog that edits the IP setup of one module: a static address with gateway
// and subnet size, or dynamic addressing with the methods that stay on.
class FConfigLantronix : public QDialog {
    Q_OBJECT
public:
    FConfigLantronix(SetupExchange &setup, QWidget *parent = nullptr);

    // Names the module whose setup is edited: its MAC and, when it has one, its name.
    void setModule(const QString &mac, const QString &name);

    void Form_Load();
    void cmdOk_Click();
    void cmdCancel_Click();
    void optStaticIP_Click();
    void optDynamicIP_Click();
    void txtSubnet_Change();

    QLabel *lblModule;
    QRadioButton *optStaticIP;
    QRadioButton *optDynamicIP;
    std::array<QLineEdit *, 4> txtIP{};
    std::array<QLineEdit *, 4> txtGateway{};
    QLineEdit *txtSubnet;
    QLineEdit *txtSubnetMask;
    std::array<QLabel *, 4> lbl{};
    QCheckBox *chkAutoIP;
    QCheckBox *chkDHCP;
    QCheckBox *chkBootP;
    QPushButton *cmdOk;
    QPushButton *cmdCancel;

    // The close box and Escape cancel as the Cancel button does.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void SetCaptions();
    void enableStaticBoxes(bool isStatic);
    // Checks the static boxes; the message of a wrong one names it, and it gets the focus.
    bool staticSetupValid();
    // Refuses a static address no module can have; asks before one another module holds, one the
    // console's card cannot reach, or a gateway outside the module's subnet. True to go on.
    bool staticAddressesConfirmed();
    void orderTabs();
    QString boxName(const QLineEdit *box) const;

    SetupExchange &setup_;
};
