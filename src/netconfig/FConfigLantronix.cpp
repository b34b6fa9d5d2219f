#include "FConfigLantronix.h"

#include "LantronixSetup.h"
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
#include <QVBoxLayout>
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

QLineEdit *octetBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(AddressLength);
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

// An address typed or pasted into one box fills it and the boxes after it, one part each; the
// focus goes to the box of the last part. A box alone keeps three digits.
void spreadAddress(const std::array<QLineEdit *, 4> &boxes, std::size_t from)
{
    const QStringList parts = boxes[from]->text().split(QLatin1Char('.'));
    std::size_t last = from;
    for (qsizetype k = 0; k < parts.size() && from + static_cast<std::size_t>(k) < boxes.size(); ++k) {
        last = from + static_cast<std::size_t>(k);
        boxes[last]->setText(parts[k].trimmed().left(OctetDigits));
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
        txtIP[i] = octetBox(QStringLiteral("txtIP_%1").arg(i), this);
        txtGateway[i] = octetBox(QStringLiteral("txtGateway_%1").arg(i), this);
        lbl[i] = new QLabel(this);
        lbl[i]->setObjectName(QStringLiteral("lbl_%1").arg(i));
    }
    optStaticIP->setObjectName(QStringLiteral("optStaticIP"));
    optDynamicIP->setObjectName(QStringLiteral("optDynamicIP"));
    txtSubnet->setObjectName(QStringLiteral("txtSubnet"));
    txtSubnetMask->setObjectName(QStringLiteral("txtSubnetMask"));
    // It only shows the mask that follows from the subnet bits, on the window's colour.
    txtSubnetMask->setReadOnly(true);
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

void FConfigLantronix::setModule(const QString &mac, const QString &name)
{
    lblModule->setText(name.isEmpty() ? mac : mac + QStringLiteral(" - ") + name);
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
        if (!staticSetupValid())
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
