#pragma once

#include "AddressPolicy.h"
#include "DeviceServerConversation.h"

#include <QDialog>
#include <QList>
#include <QString>

class ModuleList;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidgetItem;

// The window in which the user finds the Ethernet interface modules on the network of one of
// the PC's cards, names them, gives them an address, edits their IP setup and connects the
// console to one of them. It hides on Ok and keeps its list; it is destroyed by its close box.
// The datagrams themselves are its conversation's.
class FConfigNetwork : public QDialog {
    Q_OBJECT
public:
    explicit FConfigNetwork(QWidget *parent = nullptr);
    ~FConfigNetwork() override;

    void Form_Load();
    void cboNICs_Click();
    void cmdRefreshList_Click();
    void cmdOk_Click();
    void cmdEditDescription_Click();
    void lvwInterfaces_AfterLabelEdit(QTreeWidgetItem *row, const QString &newString);
    void lvwInterfaces_ItemClick();
    void cmdAssignIP_Click();
    void cmdConfigure_Click();
    void cmdConnect_Click();
    // Escape hides the window as Ok does.
    void reject() override;

    void LoadNICs();
    NicRecord GetSelectedNIC() const;
    void UpdateButtons();
    // One discovery run on the chosen card: the list holds the modules that answered within a
    // second, and the names file's modules, the silent ones off-line.
    void RefreshList();

    // The cards in the order found; card i is entry i of cboNICs.
    QList<NicRecord> NICs;

    QComboBox *cboNICs;
    QLabel *lbl;
    ModuleList *lvwInterfaces;
    QPushButton *cmdRefreshList;
    QPushButton *cmdEditDescription;
    QPushButton *cmdAssignIP;
    QPushButton *cmdConfigure;
    QPushButton *cmdConnect;
    QPushButton *cmdOk;
    DeviceServerConversation conversation;

signals:
    // The console's link now goes to the module with this MAC text.
    void ModuleConnected(const QString &mac);
    // The module with this MAC text was given the address.
    void AddressAssigned(const QString &mac, const QString &address);
    // A module answered a discovery query from this address. The window's socket, bound to the
    // card's address, takes the replies meant for the main window's search as well.
    void ModuleAnswered(const QString &mac, const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;
    // Enter on a button, and the closing of the window that owns this one.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Busy;
    class Searching;
    class Reading;

    void buildLayout();
    void SetCaptions();
    void Form_Unload();
    void mergeNames();
    void listReply(const QString &mac, const QString &address, bool onCardSubnet);
    // Refuses or asks about the address for the module of the row; true when it may be sent.
    bool assignmentConfirmed(const QTreeWidgetItem *row, const NetworkAddress::Octets &address);
    // The address checks for a module: the chosen card's subnet and the other listed modules.
    AddressPolicy addressPolicy(const QString &mac) const;
    // Says why the row's address may reach another module; true when it names its module alone.
    bool soleModule(const QTreeWidgetItem *row);
    bool readSetupRecord(const QString &destination);
    // Hidden by Ok or Escape, or closing once a wait is over.
    bool dismissed() const;
    void writeSetupRecord(const QString &destination, const DeviceServerProtocol::SetupFields &fields);
    void reportError(const QString &description);

    // Every control; disabled while a search runs, when the window itself still takes Escape.
    QWidget *contents_;
    // Set while a wait lets events in; a close asked for meanwhile happens when it ends.
    int waits_ = 0;
    bool closeWhenIdle_ = false;
};
