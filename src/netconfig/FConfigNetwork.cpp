#include "FConfigNetwork.h"

#include "FConfigLantronix.h"
#include "InterfacesFile.h"
#include "ModuleCaption.h"
#include "ModuleList.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "platform/Error.h"
#include "platform/NetworkCards.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;
using State = ModuleList::State;

const QString SettingSection = QStringLiteral("Setting");
const QString NicIndexKey = QStringLiteral("NIC Index");

// What the user may do with the module of a row: one off-line has no address to use, one of
// another subnet can only be given an address of the card's subnet.
struct Actions {
    bool assign = false;
    bool configure = false;
    bool connect = false;
};

Actions actionsFor(const QTreeWidgetItem *row)
{
    if (!row)
        return {};
    switch (ModuleList::StateOf(row)) {
    case State::OnLine: return {true, true, true};
    case State::OtherSubnet: return {true, false, false};
    case State::OffLine: break;
    }
    return {};
}

// Not a default button: Enter in the list presses none. Enter on the button itself presses it
// (the window watches for it).
QPushButton *button(const QString &name, QWidget *parent)
{
    auto *push = new QPushButton(parent);
    push->setObjectName(name);
    push->setAutoDefault(false);
    push->installEventFilter(parent);
    return push;
}

}  // namespace

// A wait that lets events in: the window counts it, and a close asked for meanwhile happens when
// the last one ends. It also tells whether the window outlived the wait.
class FConfigNetwork::Busy {
public:
    explicit Busy(FConfigNetwork &window) : window_(&window) { ++window.waits_; }

    ~Busy()
    {
        if (window_ && --window_->waits_ == 0 && window_->closeWhenIdle_)
            window_->close();
    }

    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

    bool alive() const { return !window_.isNull(); }

protected:
    QPointer<FConfigNetwork> window_;
};

// A discovery run: the window's controls are disabled and the hourglass shows; the window itself
// still takes Escape. The focus goes back where it was, or to the first control when it was
// nowhere (a window opened with a search).
class FConfigNetwork::Searching : public Busy {
public:
    explicit Searching(FConfigNetwork &window) : Busy(window), focused_(window.focusWidget())
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        window.contents_->setEnabled(false);
    }

    ~Searching()
    {
        QApplication::restoreOverrideCursor();
        if (!window_)
            return;
        window_->contents_->setEnabled(true);
        if (window_->focusWidget())
            return;
        if (focused_)
            focused_->setFocus();
        else
            window_->focusNextChild();
    }

private:
    QPointer<QWidget> focused_;
};

// A setup read: the busy pointer shows over the window, whose controls stay usable.
class FConfigNetwork::Reading : public Busy {
public:
    explicit Reading(FConfigNetwork &window) : Busy(window) { window.setCursor(Qt::BusyCursor); }

    ~Reading()
    {
        if (window_)
            window_->unsetCursor();
    }
};

FConfigNetwork::FConfigNetwork(QWidget *parent)
    : QDialog(parent), cboNICs(new QComboBox(this)), lbl(new QLabel(this)), lvwInterfaces(new ModuleList(this)),
      cmdRefreshList(button(QStringLiteral("cmdRefreshList"), this)),
      cmdEditDescription(button(QStringLiteral("cmdEditDescription"), this)),
      cmdAssignIP(button(QStringLiteral("cmdAssignIP"), this)),
      cmdConfigure(button(QStringLiteral("cmdConfigure"), this)),
      cmdConnect(button(QStringLiteral("cmdConnect"), this)), cmdOk(button(QStringLiteral("cmdOk"), this)),
      contents_(new QWidget(this))
{
    setObjectName(QStringLiteral("FConfigNetwork"));
    cboNICs->setObjectName(QStringLiteral("cboNICs"));
    lbl->setObjectName(QStringLiteral("lbl"));
    lvwInterfaces->setObjectName(QStringLiteral("lvwInterfaces"));
    buildLayout();

    // Tied to the conversation, which goes first when the window is destroyed: the card box's own
    // end chooses no card.
    connect(cboNICs, &QComboBox::currentIndexChanged, &conversation,
            [this] { conversation.setCard(GetSelectedNIC()); });
    connect(cboNICs, &QComboBox::activated, this, &FConfigNetwork::cboNICs_Click);
    connect(cmdRefreshList, &QPushButton::clicked, this, &FConfigNetwork::cmdRefreshList_Click);
    connect(cmdEditDescription, &QPushButton::clicked, this, &FConfigNetwork::cmdEditDescription_Click);
    connect(cmdAssignIP, &QPushButton::clicked, this, &FConfigNetwork::cmdAssignIP_Click);
    connect(cmdConfigure, &QPushButton::clicked, this, &FConfigNetwork::cmdConfigure_Click);
    connect(cmdConnect, &QPushButton::clicked, this, &FConfigNetwork::cmdConnect_Click);
    connect(cmdOk, &QPushButton::clicked, this, &FConfigNetwork::cmdOk_Click);
    connect(lvwInterfaces, &ModuleList::AfterLabelEdit, this, &FConfigNetwork::lvwInterfaces_AfterLabelEdit);
    // The selection, not the current row: a mouse click moves the current row before it selects.
    connect(lvwInterfaces, &QTreeWidget::itemSelectionChanged, this, &FConfigNetwork::lvwInterfaces_ItemClick);
    // A row may come on line, or go to another subnet, while it is selected.
    connect(lvwInterfaces, &ModuleList::StateChanged, this, [this](const QTreeWidgetItem *row) {
        if (row == lvwInterfaces->selectedRow())
            UpdateButtons();
    });
    connect(&conversation, &DeviceServerConversation::ModuleAnswered, this, &FConfigNetwork::listReply);
    if (parent)
        parent->window()->installEventFilter(this);
}

FConfigNetwork::~FConfigNetwork()
{
    // Hidden while still whole: a name being edited is stored now, not by a window half gone.
    hide();
    Form_Unload();
}

void FConfigNetwork::buildLayout()
{
    auto *card = new QHBoxLayout;
    card->addWidget(lbl);
    card->addWidget(cboNICs, 1);

    auto *actions = new QVBoxLayout;
    for (QPushButton *push : {cmdRefreshList, cmdEditDescription, cmdAssignIP, cmdConfigure, cmdConnect})
        actions->addWidget(push);
    actions->addStretch();
    actions->addWidget(cmdOk);

    auto *body = new QHBoxLayout;
    body->addWidget(lvwInterfaces, 1);
    body->addLayout(actions);

    auto *layout = new QVBoxLayout(contents_);
    layout->addLayout(card);
    layout->addLayout(body, 1);
    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->addWidget(contents_);
    resize(640, 320);
}

void FConfigNetwork::SetCaptions()
{
    setWindowTitle(Translate(txt::ConfigureNetwork));
    lbl->setText(Translate(txt::LocalNic));
    cmdEditDescription->setText(Translate(txt::EditName));
    cmdAssignIP->setText(Translate(txt::AssignIp));
    cmdConfigure->setText(Translate(txt::Configure));
    cmdRefreshList->setText(QStringLiteral("Refresh List"));
    cmdConnect->setText(QStringLiteral("Connect"));
    cmdOk->setText(Translate(txt::Ok));
    lvwInterfaces->setHeaderLabels(
        {Translate(txt::Name), Translate(txt::SerialNumber), Translate(txt::IpAddress), Translate(txt::Status)});
    lvwInterfaces->header()->resizeSection(ModuleList::ColName, 150);
    lvwInterfaces->header()->resizeSection(ModuleList::ColSerialNumber, 140);
    lvwInterfaces->header()->resizeSection(ModuleList::ColIPAddress, 120);
}

void FConfigNetwork::Form_Load()
{
    SetCaptions();
    LoadNICs();
    const int index = mdlTools::ReadIniInt(SettingSection, NicIndexKey, 0);
    if (index >= 0 && cboNICs->count() > index) {
        cboNICs->setCurrentIndex(index);
        cboNICs_Click();
    }
    cmdAssignIP->setEnabled(false);
    cmdConfigure->setEnabled(false);
    // Escape during the first search closed the window: it searches no more behind the user's back.
    if (!dismissed())
        RefreshList();
}

void FConfigNetwork::Form_Unload()
{
    mdlTools::WriteIniString(SettingSection, NicIndexKey, QString::number(cboNICs->currentIndex()));
}

void FConfigNetwork::closeEvent(QCloseEvent *event)
{
    // A wait further down the stack still works on the window; it closes when the wait is over.
    if (waits_ > 0) {
        closeWhenIdle_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool FConfigNetwork::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *push = qobject_cast<QPushButton *>(watched);
        if (push && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            push->click();
            return true;
        }
    }
    // The main window closes: a wait of this one ends without a word, then this one closes too.
    if (event->type() == QEvent::Close && watched != this && waits_ > 0)
        closeWhenIdle_ = true;
    return QDialog::eventFilter(watched, event);
}

void FConfigNetwork::LoadNICs()
{
    NICs.clear();
    cboNICs->clear();
    const QList<platform::NetworkCard> cards = platform::networkCards();
    for (const platform::NetworkCard &card : cards) {
        NICs.append({card.ipAddress, card.subnetMask, card.description});
        // Named with its address, so the card of the modules' subnet is easy to pick.
        cboNICs->addItem(card.description + QStringLiteral(" (") + card.ipAddress + QLatin1Char(')'));
    }
    cboNICs->setCurrentIndex(-1);
    // An empty list alone would not tell why no module is ever found.
    cboNICs->setPlaceholderText(
        cards.isEmpty() ? Translate(QStringLiteral("No network card with an IPv4 address to search on")) : QString());
    conversation.setCards(NICs);
}

NicRecord FConfigNetwork::GetSelectedNIC() const
{
    const int index = cboNICs->currentIndex();
    return index >= 0 && index < NICs.size() ? NICs.at(index) : NicRecord{};
}

void FConfigNetwork::cboNICs_Click()
{
    RefreshList();
}

void FConfigNetwork::cmdRefreshList_Click()
{
    RefreshList();
}

void FConfigNetwork::cmdOk_Click()
{
    hide();
    // Hidden, it would take the replies meant for the main window's search of a machine.
    conversation.Close();
}

void FConfigNetwork::reject()
{
    cmdOk_Click();
}

void FConfigNetwork::reportError(const QString &description)
{
    platform::ui::msgBox(description, MsgButtons::Ok, MsgIcon::Exclamation);
}

void FConfigNetwork::RefreshList()
{
    const Searching busy(*this);
    // The module the user picked stays picked when it is listed again; no other is picked for them.
    const QString picked = lvwInterfaces->selectedMac();
    lvwInterfaces->removeAll();
    conversation.Search();
    if (!busy.alive())
        return;
    mergeNames();
    lvwInterfaces->selectMac(picked);
    UpdateButtons();
}

void FConfigNetwork::mergeNames()
{
    const QList<InterfacesFile::ModuleLine> lines = InterfacesFile::ReadModuleLines(mdlMain::InterfacesIniPath());
    for (const InterfacesFile::ModuleLine &line : lines) {
        if (DeviceServerProtocol::IsModuleMac(line.mac))
            lvwInterfaces->addName(line.mac, line.name);
    }
}

void FConfigNetwork::listReply(const QString &mac, const QString &address, bool onCardSubnet)
{
    lvwInterfaces->addReply(mac, address, onCardSubnet ? State::OnLine : State::OtherSubnet);
    emit ModuleAnswered(mac, address);
}

void FConfigNetwork::UpdateButtons()
{
    cmdEditDescription->setEnabled(lvwInterfaces->selectedRow() != nullptr);
    const Actions allowed = actionsFor(lvwInterfaces->selectedRow());
    cmdAssignIP->setEnabled(allowed.assign);
    cmdConfigure->setEnabled(allowed.configure);
    cmdConnect->setEnabled(allowed.connect);
}

void FConfigNetwork::lvwInterfaces_ItemClick()
{
    UpdateButtons();
}

void FConfigNetwork::cmdEditDescription_Click()
{
    lvwInterfaces->setFocus();
    if (QTreeWidgetItem *row = lvwInterfaces->selectedRow())
        lvwInterfaces->editItem(row, ModuleList::ColName);
}

void FConfigNetwork::lvwInterfaces_AfterLabelEdit(QTreeWidgetItem *row, const QString &newString)
{
    const QString mac = row->text(ModuleList::ColSerialNumber);
    const QString path = mdlMain::InterfacesIniPath();
    if (newString == InterfacesFile::ReadDeviceName(path, mac))
        return;
    if (!InterfacesFile::WriteDeviceName(path, mac, newString))
        reportError(Translate(txt::ErrorSavingSettings) + QStringLiteral("\r\n") + QDir::toNativeSeparators(path));
}

void FConfigNetwork::cmdAssignIP_Click()
{
    QTreeWidgetItem *row = lvwInterfaces->selectedRow();
    if (!actionsFor(row).assign)
        return;
    const QString mac = row->text(ModuleList::ColSerialNumber);
    const QString current = row->text(ModuleList::ColIPAddress);
    const std::optional<QString> answer = platform::ui::inputBox(Translate(txt::NewIpAddress), QString(), current);
    if (!answer || answer->isEmpty())
        return;
    // Four numbers and nothing else: a typing slip is not sent as some other address.
    const std::optional<NetworkAddress::Octets> octets = NetworkAddress::ParseDottedQuad(*answer);
    if (!octets) {
        platform::ui::msgBox(Translate(txt::IpFormatNotCorrect), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const QString address = NetworkAddress::DottedText(*octets);
    if (address == current) {
        platform::ui::msgBox(Translate(txt::IpNotChanged), MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    if (!assignmentConfirmed(row, *octets))
        return;
    try {
        conversation.AssignAddress(mac, address);
    } catch (const platform::Error &error) {
        reportError(error.description());
        return;
    }
    emit AddressAssigned(mac, address);
    platform::ui::msgBox(Translate(txt::IpChangedWait), MsgButtons::Ok, MsgIcon::Information);
}

AddressPolicy FConfigNetwork::addressPolicy(const QString &mac) const
{
    const NicRecord nic = GetSelectedNIC();
    return AddressPolicy({nic.IP, nic.Mask}, lvwInterfaces->AddressHolders(mac));
}

bool FConfigNetwork::assignmentConfirmed(const QTreeWidgetItem *row, const NetworkAddress::Octets &octets)
{
    const QString mac = row->text(ModuleList::ColSerialNumber);
    const QString address = NetworkAddress::DottedText(octets);
    const AddressPolicy policy = addressPolicy(mac);
    const QString refusal = AddressPolicy::Refusal(octets, policy.card());
    if (!refusal.isEmpty()) {
        platform::ui::msgBox(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    const QString taken = policy.TakenQuestion(address);
    if (!taken.isEmpty() && !ConfirmAddress(taken))
        return false;
    if (!NetworkAddress::SameSubnet(address, policy.card().address, policy.card().mask) &&
        !ConfirmAddress(Translate(txt::DeviceWillBeUnreachable) + QStringLiteral("\r\n") + address))
        return false;
    const QStringList sharing = lvwInterfaces->SharingAssignment(mac);
    return sharing.isEmpty() ||
           ConfirmAddress(Translate(QStringLiteral("The new address goes to the module by the last two bytes of its "
                                                   "MAC address alone, and these modules have the same ones: each of "
                                                   "them may take it.")) +
                          QStringLiteral("\r\n") + ModuleList::Caption(row) + QStringLiteral("\r\n") +
                          sharing.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") +
                          Translate(QStringLiteral("Do you want to set this IP address?")));
}

bool FConfigNetwork::readSetupRecord(const QString &destination)
{
    const Reading busy(*this);
    bool received = false;
    try {
        received = conversation.ReadSetup(destination, [this] { return dismissed(); });
    } catch (const platform::Error &error) {
        reportError(error.description());
        return false;
    }
    if (!busy.alive())
        return false;
    // The user closed the window meanwhile: the read ends quietly, nothing comes up over other windows.
    if (dismissed())
        return false;
    if (!received)
        platform::ui::msgBox(Translate(txt::CanNotGetConfiguration), MsgButtons::Ok, MsgIcon::Exclamation);
    return received;
}

bool FConfigNetwork::dismissed() const
{
    return !isVisible() || closeWhenIdle_;
}

void FConfigNetwork::writeSetupRecord(const QString &destination, const DeviceServerProtocol::SetupFields &fields)
{
    try {
        if (!conversation.WriteSetup(destination, fields)) {
            platform::ui::msgBox(Translate(txt::WrongDataValue), MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
    } catch (const platform::Error &error) {
        reportError(error.description());
        return;
    }
    platform::ui::msgBox(Translate(txt::ConfigurationChangedWait), MsgButtons::Ok, MsgIcon::Information);
}

void FConfigNetwork::cmdConfigure_Click()
{
    QTreeWidgetItem *row = lvwInterfaces->selectedRow();
    // One setup read at a time: a second one would show the first one's record again.
    if (!actionsFor(row).configure || waits_ > 0)
        return;
    if (!soleModule(row))
        return;
    const QString destination = row->text(ModuleList::ColIPAddress);
    // Taken now: a search while the record is read renews the rows.
    const QString mac = row->text(ModuleList::ColSerialNumber);
    const QString name = row->text(ModuleList::ColName);
    if (!readSetupRecord(destination))
        return;
    // A search during the read may have heard another module at the address: the record may be its.
    const QTreeWidgetItem *listed = lvwInterfaces->row(mac);
    if (!listed || listed->text(ModuleList::ColIPAddress) != destination) {
        platform::ui::msgBox(Translate(txt::CanNotGetConfiguration), MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    if (!soleModule(listed))
        return;
    SetupExchange edited{conversation.Setup, addressPolicy(mac)};
    QPointer<FConfigNetwork> alive(this);
    {
        FConfigLantronix setup(edited, this);
        setup.setModule(mac, name);
        const platform::pumping::Scope modal;
        setup.exec();
    }
    if (alive && edited.ApplySetup)
        writeSetupRecord(destination, edited);
}

bool FConfigNetwork::soleModule(const QTreeWidgetItem *row)
{
    const QString doubt = lvwInterfaces->Doubt(row);
    if (doubt.isEmpty())
        return true;
    platform::ui::msgBox(doubt + QStringLiteral("\r\n") +
                             Translate(QStringLiteral("Its setup is not read: the answer could come from another "
                                                      "module, and Ok would write that module's setup. Give each "
                                                      "module an address of its own with Assign IP first.")),
                         MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

void FConfigNetwork::cmdConnect_Click()
{
    QTreeWidgetItem *row = lvwInterfaces->selectedRow();
    if (!actionsFor(row).connect)
        return;
    mdlMain::IPAddress = row->text(ModuleList::ColIPAddress);
    mdlMain::UseEthernet = true;
    emit ModuleConnected(row->text(ModuleList::ColSerialNumber));
    mdlMain::OpenDevicePort();
    mdlMain::SaveSettingsOrReport();
}
