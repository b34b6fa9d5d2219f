#include "FConfigLantronix.h"

#include "LantronixSetup.h"
#include "ModuleCaption.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "platform/UiService.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

using mdlStrings::Translate;

using platform::MsgButtons;
using platform::MsgIcon;

constexpr int MaxOctet = 255;
constexpr int MaxSubnetBits = 24;
constexpr int OctetDigits = 3;
// A whole address, as the user may paste it into one box.
constexpr int AddressLength = 15;

// What an octet box takes: a number of up to three digits, 255 at most, or, pasted, an address
// whose parts fill this box and the ones after it. Any other keystroke or paste is refused, so a
// box never holds a number the user did not type.
class OctetValidator : public QValidator {
public:
    OctetValidator(int boxesFromHere, QObject *parent) : QValidator(parent), boxesFromHere_(boxesFromHere) {}

    State validate(QString &input, int &) const override
    {
        const QStringList parts = input.split(QLatin1Char('.'));
        if (parts.size() > boxesFromHere_)
            return Invalid;
        for (const QString &part : parts) {
            const QString digits = part.trimmed();
            const bool number = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
            if (!number || digits.size() > OctetDigits || digits.toInt() > MaxOctet)
                return Invalid;
        }
        return parts.size() == 1 && !input.trimmed().isEmpty() ? Acceptable : Intermediate;
    }

private:
    int boxesFromHere_;
};

QLineEdit *octetBox(const QString &name, int boxesFromHere, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(AddressLength);
    box->setValidator(new OctetValidator(boxesFromHere, box));
    QObject::connect(box, &QLineEdit::inputRejected, box, [box] {
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())),
                           Translate(txt::WrongDataValue) + QStringLiteral(": 0 - 255"), box);
    });
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    box->setAlignment(Qt::AlignRight);
    return box;
}

// The four octet boxes of an address side by side with dots between, as the address is written.
QHBoxLayout *addressLayout(const std::array<QLineEdit *, 4> &boxes, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(2);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), parent));
        row->addWidget(boxes[i]);
    }
    row->addStretch();
    return row;
}

QString joined(const std::array<QLineEdit *, 4> &boxes)
{
    QStringList parts;
    for (const QLineEdit *box : boxes)
        parts << box->text().trimmed();
    return parts.join(QLatin1Char('.'));
}

void fill(const std::array<QLineEdit *, 4> &boxes, const QString &dotted)
{
    const QStringList parts = dotted.split(QLatin1Char('.'));
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(i < static_cast<std::size_t>(parts.size()) ? parts[static_cast<qsizetype>(i)] : QString());
}

// The position of a box among the four of an address; -1 when it is none of them.
int positionOf(const std::array<QLineEdit *, 4> &boxes, const QObject *box)
{
    const auto found = std::find(boxes.begin(), boxes.end(), box);
    return found == boxes.end() ? -1 : static_cast<int>(found - boxes.begin());
}

// An address pasted into one box fills it and the boxes after it, one part each; the focus goes to
// the box of the last part.
void spreadAddress(const std::array<QLineEdit *, 4> &boxes, std::size_t from)
{
    const QStringList parts = boxes[from]->text().split(QLatin1Char('.'));
    std::size_t last = from;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        last = from + static_cast<std::size_t>(k);
        boxes[last]->setText(parts[k].trimmed());
    }
    if (last != from)
        boxes[last]->setFocus(Qt::TabFocusReason);
}

}  // namespace

FConfigLantronix::FConfigLantronix(SetupExchange &setup, QWidget *parent)
    : QDialog(parent), lblModule(new QLabel(this)), optStaticIP(new QRadioButton(this)),
      optDynamicIP(new QRadioButton(this)), txtSubnet(new QLineEdit(this)), txtSubnetMask(new QLineEdit(this)),
      chkAutoIP(new QCheckBox(this)), chkDHCP(new QCheckBox(this)), chkBootP(new QCheckBox(this)),
      cmdOk(new QPushButton(this)), cmdCancel(new QPushButton(this)), setup_(setup)
{
    setObjectName(QStringLiteral("FConfigLantronix"));
    lblModule->setObjectName(QStringLiteral("lblModule"));
    // A name from the user's file and a MAC from the network: never markup.
    lblModule->setTextFormat(Qt::PlainText);
    for (std::size_t i = 0; i < txtIP.size(); ++i) {
        const int boxesFromHere = static_cast<int>(txtIP.size() - i);
        txtIP[i] = octetBox(QStringLiteral("txtIP_%1").arg(i), boxesFromHere, this);
        txtGateway[i] = octetBox(QStringLiteral("txtGateway_%1").arg(i), boxesFromHere, this);
        lbl[i] = new QLabel(this);
        lbl[i]->setObjectName(QStringLiteral("lbl_%1").arg(i));
    }
    optStaticIP->setObjectName(QStringLiteral("optStaticIP"));
    optDynamicIP->setObjectName(QStringLiteral("optDynamicIP"));
    txtSubnet->setObjectName(QStringLiteral("txtSubnet"));
    txtSubnetMask->setObjectName(QStringLiteral("txtSubnetMask"));
    // It only shows the mask that follows from the subnet bits, on the window's colour; Tab passes it.
    txtSubnetMask->setReadOnly(true);
    txtSubnetMask->setFocusPolicy(Qt::ClickFocus);
    QPalette result = txtSubnetMask->palette();
    result.setColor(QPalette::Base, result.color(QPalette::Window));
    txtSubnetMask->setPalette(result);
    chkAutoIP->setObjectName(QStringLiteral("chkAutoIP"));
    chkDHCP->setObjectName(QStringLiteral("chkDHCP"));
    chkBootP->setObjectName(QStringLiteral("chkBootP"));
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdOk->setDefault(true);
    buildLayout();
    orderTabs();

    for (QLineEdit *box : {txtIP[0], txtIP[1], txtIP[2], txtIP[3], txtGateway[0], txtGateway[1], txtGateway[2],
                           txtGateway[3], txtSubnet})
        box->installEventFilter(this);
    for (const std::array<QLineEdit *, 4> *address : {&txtIP, &txtGateway}) {
        for (std::size_t i = 0; i < address->size(); ++i)
            connect((*address)[i], &QLineEdit::textEdited, this, [address, i] { spreadAddress(*address, i); });
    }
    connect(optStaticIP, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optStaticIP_Click();
    });
    connect(optDynamicIP, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optDynamicIP_Click();
    });
    connect(txtSubnet, &QLineEdit::textChanged, this, &FConfigLantronix::txtSubnet_Change);
    connect(cmdOk, &QPushButton::clicked, this, &FConfigLantronix::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FConfigLantronix::cmdCancel_Click);
    Form_Load();
}

void FConfigLantronix::buildLayout()
{
    auto *addresses = new QGridLayout;
    addresses->addWidget(lbl[0], 0, 0);
    addresses->addLayout(addressLayout(txtIP, this), 0, 1);
    addresses->addWidget(lbl[1], 1, 0);
    addresses->addLayout(addressLayout(txtGateway, this), 1, 1);
    addresses->addWidget(lbl[2], 2, 0);
    txtSubnet->setFixedWidth(txtIP[0]->width());
    addresses->addWidget(txtSubnet, 2, 1, Qt::AlignLeft);
    addresses->addWidget(lbl[3], 3, 0);
    addresses->addWidget(txtSubnetMask, 3, 1);

    auto *methods = new QHBoxLayout;
    for (QCheckBox *box : {chkAutoIP, chkDHCP, chkBootP})
        methods->addWidget(box);
    methods->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblModule);
    layout->addWidget(optStaticIP);
    layout->addLayout(addresses);
    layout->addWidget(optDynamicIP);
    layout->addLayout(methods);
    layout->addLayout(buttons);
}

void FConfigLantronix::orderTabs()
{
    // The choice and the dynamic methods first; then the static setup in reading order, box after
    // box, and the buttons. Disabled controls are passed over.
    const std::vector<QWidget *> order = {
        optStaticIP, optDynamicIP,  chkAutoIP,     chkDHCP,       chkBootP,      txtIP[0],  txtIP[1], txtIP[2],
        txtIP[3],    txtGateway[0], txtGateway[1], txtGateway[2], txtGateway[3], txtSubnet, cmdOk,    cmdCancel};
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void FConfigLantronix::setModule(const QString &mac, const QString &name)
{
    // A long name is cut short, so that the window and its buttons stay on the screen.
    const QString whole = ModuleCaption(mac, name);
    lblModule->setText(ElidedModuleCaption(mac, name, lblModule->fontMetrics()));
    lblModule->setToolTip(lblModule->text() == whole ? QString() : whole);
}

void FConfigLantronix::SetCaptions()
{
    setWindowTitle(QStringLiteral("ZEM-E Network configuration"));
    optStaticIP->setText(Translate(txt::StaticIp));
    optDynamicIP->setText(Translate(txt::DynamicIp));
    const txt::Id labels[] = {txt::IpAddress, txt::Gateway, txt::SubnetBits, txt::ResultingMask};
    for (std::size_t i = 0; i < lbl.size(); ++i)
        lbl[i]->setText(Translate(labels[i]));
    chkAutoIP->setText(Translate(txt::AutoIp));
    chkBootP->setText(Translate(txt::BootP));
    chkDHCP->setText(Translate(txt::Dhcp));
    cmdOk->setText(Translate(txt::Ok));
    cmdCancel->setText(Translate(txt::Cancel));
}

void FConfigLantronix::Form_Load()
{
    SetCaptions();
    fill(txtIP, setup_.IPAddress);
    fill(txtGateway, setup_.Gateway);
    if (const std::optional<LantronixSetup::DynamicMethods> methods =
            LantronixSetup::DynamicAddressing(setup_.IPAddress)) {
        // The choice first: choosing Dynamic IP may tick DHCP, which the record then decides.
        optDynamicIP->setChecked(true);
        chkAutoIP->setChecked(methods->autoIP);
        chkDHCP->setChecked(methods->dhcp);
        chkBootP->setChecked(methods->bootP);
    } else {
        for (QCheckBox *box : {chkAutoIP, chkDHCP, chkBootP})
            box->setChecked(true);
        optStaticIP->setChecked(true);
    }
    txtSubnet->setText(setup_.SubnetBits);
    txtSubnet_Change();
}

void FConfigLantronix::enableStaticBoxes(bool isStatic)
{
    for (std::size_t i = 0; i < txtIP.size(); ++i) {
        txtIP[i]->setEnabled(isStatic);
        txtGateway[i]->setEnabled(isStatic);
        lbl[i]->setEnabled(isStatic);
    }
    txtSubnet->setEnabled(isStatic);
    txtSubnetMask->setEnabled(isStatic);
    for (QCheckBox *box : {chkAutoIP, chkDHCP, chkBootP})
        box->setEnabled(!isStatic);
}

void FConfigLantronix::optStaticIP_Click()
{
    enableStaticBoxes(true);
}

void FConfigLantronix::optDynamicIP_Click()
{
    enableStaticBoxes(false);
    if (!chkAutoIP->isChecked() && !chkDHCP->isChecked() && !chkBootP->isChecked())
        chkDHCP->setChecked(true);
}

void FConfigLantronix::txtSubnet_Change()
{
    txtSubnetMask->setText(optDynamicIP->isChecked()
                               ? QStringLiteral("---")
                               : LantronixSetup::SubnetMaskText(txtSubnet->text(), txtIP[0]->text()));
}

QString FConfigLantronix::boxName(const QLineEdit *box) const
{
    for (const auto &[address, label] : {std::pair{&txtIP, lbl[0]}, std::pair{&txtGateway, lbl[1]}}) {
        const int position = positionOf(*address, box);
        if (position >= 0)
            return label->text() + QStringLiteral(", ") + Translate(QStringLiteral("field")) + QLatin1Char(' ') +
                   QString::number(position + 1);
    }
    return lbl[2]->text();
}

bool FConfigLantronix::staticSetupValid()
{
    // In the order the user reads them; every box must hold a number before any range counts.
    std::vector<std::pair<QLineEdit *, int>> boxes;
    for (const std::array<QLineEdit *, 4> *address : {&txtIP, &txtGateway}) {
        for (QLineEdit *box : *address)
            boxes.emplace_back(box, MaxOctet);
    }
    boxes.emplace_back(txtSubnet, MaxSubnetBits);
    const auto refuse = [this](txt::Id text, QLineEdit *box) {
        platform::ui::msgBox(Translate(text) + QStringLiteral("\r\n") + boxName(box), MsgButtons::Ok,
                             MsgIcon::Exclamation);
        box->setFocus();
        box->selectAll();
        return false;
    };
    for (const auto &[box, highest] : boxes) {
        if (!LantronixSetup::WholeNumber(box->text()))
            return refuse(txt::WrongDataFormat, box);
    }
    for (const auto &[box, highest] : boxes) {
        const int value = LantronixSetup::WholeNumber(box->text()).value_or(0);
        if (value < 0 || value > highest)
            return refuse(txt::WrongDataValue, box);
    }
    return true;
}

bool FConfigLantronix::staticAddressesConfirmed()
{
    const QString typed = joined(txtIP);
    // 0.0.x.0 is how the record says dynamic addressing: not an address.
    if (LantronixSetup::DynamicAddressing(typed))
        return true;
    // Compared as the list writes addresses: 192.168.001.037 is 192.168.1.37.
    const NetworkAddress::Octets octets = NetworkAddress::ParseDottedQuad(typed).value_or(NetworkAddress::Octets{});
    const QString ip = NetworkAddress::DottedText(octets);
    const QString mask = LantronixSetup::SubnetMaskText(txtSubnet->text(), txtIP[0]->text());
    const QString refusal = AddressPolicy::Refusal(octets, {ip, mask});
    if (!refusal.isEmpty()) {
        platform::ui::msgBox(refusal, MsgButtons::Ok, MsgIcon::Exclamation);
        txtIP[0]->setFocus();
        return false;
    }
    const QString taken = setup_.Policy.TakenQuestion(ip);
    if (!taken.isEmpty() && !ConfirmAddress(taken))
        return false;
    const NetworkAddress::Subnet &card = setup_.Policy.card();
    if (!card.address.isEmpty() && !NetworkAddress::SameSubnet(ip, card.address, card.mask) &&
        !ConfirmAddress(Translate(QStringLiteral("%1 is not in the subnet of the network card (%2, mask %3): the "
                                                 "console will not reach the module there. Do you want to set this "
                                                 "IP address?"))
                            .arg(ip, card.address, card.mask)))
        return false;
    const QString gateway = joined(txtGateway);
    return NetworkAddress::ParseDottedQuad(gateway) == NetworkAddress::Octets{} ||
           NetworkAddress::SameSubnet(gateway, ip, mask) ||
           ConfirmAddress(Translate(QStringLiteral("The gateway %1 is not in the module's subnet (%2, mask %3): the "
                                                   "module cannot reach it. Do you want to use this gateway?"))
                              .arg(gateway, ip, mask));
}

void FConfigLantronix::cmdOk_Click()
{
    if (optDynamicIP->isChecked()) {
        const LantronixSetup::DynamicMethods methods{chkAutoIP->isChecked(), chkDHCP->isChecked(),
                                                     chkBootP->isChecked()};
        if (!methods.autoIP && !methods.dhcp && !methods.bootP) {
            platform::ui::msgBox(Translate(txt::SelectAtLeastOneOption), MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
        setup_.IPAddress = LantronixSetup::DynamicAddress(methods);
        setup_.Gateway = QStringLiteral("0.0.0.0");
        setup_.SubnetBits = QStringLiteral("0");
    } else {
        if (!staticSetupValid() || !staticAddressesConfirmed())
            return;
        setup_.IPAddress = joined(txtIP);
        setup_.Gateway = joined(txtGateway);
        setup_.SubnetBits = txtSubnet->text().trimmed();
    }
    setup_.ApplySetup = true;
    accept();
}

void FConfigLantronix::cmdCancel_Click()
{
    setup_.ApplySetup = false;
    QDialog::reject();
}

void FConfigLantronix::reject()
{
    cmdCancel_Click();
}

bool FConfigLantronix::eventFilter(QObject *watched, QEvent *event)
{
    // After the focus change has settled, so a mouse click does not undo the selection.
    if (event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, this, [] { mdlTools::SelectAllText(); });
    // A dot ends an address part, as it does when the address is written: on to the next box.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->text() == QStringLiteral(".")) {
        for (const std::array<QLineEdit *, 4> *address : {&txtIP, &txtGateway}) {
            const int position = positionOf(*address, watched);
            if (position >= 0) {
                if (position + 1 < static_cast<int>(address->size()))
                    (*address)[static_cast<std::size_t>(position) + 1]->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
