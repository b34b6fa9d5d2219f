#include "FOptions.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "core/mdlTools.h"
#include "platform/Error.h"
#include "platform/Runtime.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A number too large for its setting reads as no number at all, as a text without digits does,
// so that a stray keystroke cannot abort the dialog.
template <typename Convert> auto wholeOrZero(Convert convert, double value) -> decltype(convert(value))
{
    try {
        return convert(value);
    } catch (const platform::Error &) {
        return 0;
    }
}

// The number the format sample shows.
constexpr double SampleNumber = 100000.0 / 7.0;

template <typename Widget> Widget *named(Widget *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

}  // namespace

FOptions::FOptions(QWidget *parent)
    : QDialog(parent), optSerialPort(named(new QRadioButton(this), QStringLiteral("optSerialPort"))),
      optEthernet(named(new QRadioButton(this), QStringLiteral("optEthernet"))),
      cboComPorts(named(new QComboBox(this), QStringLiteral("cboComPorts"))),
      cboBaudrate(named(new QComboBox(this), QStringLiteral("cboBaudrate"))),
      txtIP(named(new QLineEdit(this), QStringLiteral("txtIP"))),
      txtPort(named(new QLineEdit(this), QStringLiteral("txtPort"))),
      chkHeader(named(new QCheckBox(this), QStringLiteral("chkHeader"))),
      txtCommentChr(named(new QLineEdit(this), QStringLiteral("txtCommentChr"))),
      txtFormat(named(new QLineEdit(this), QStringLiteral("txtFormat"))),
      lblFormatSample(named(new QLabel(this), QStringLiteral("lblFormatSample"))),
      cmdOk(named(new QPushButton(this), QStringLiteral("cmdOk"))),
      cmdCancel(named(new QPushButton(this), QStringLiteral("cmdCancel")))
{
    setObjectName(QStringLiteral("FOptions"));
    for (int i = 0; i < 2; ++i) {
        lbl[i] = named(new QLabel(this), QStringLiteral("lbl_%1").arg(i));
        fra[i] = named(new QGroupBox(this), QStringLiteral("fra_%1").arg(i));
    }
    cboComPorts->setEditable(true);
    cboBaudrate->setEditable(true);
    cboBaudrate->addItems(
        {QStringLiteral("19200"), QStringLiteral("28800"), QStringLiteral("38400"), QStringLiteral("115200")});
    buildLayout();

    connect(optEthernet, &QRadioButton::toggled, this, &FOptions::optEthernet_Click);
    connect(optSerialPort, &QRadioButton::toggled, this, &FOptions::optSerialPort_Click);
    connect(txtFormat, &QLineEdit::textChanged, this, &FOptions::txtFormat_Change);
    connect(cmdOk, &QPushButton::clicked, this, &FOptions::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FOptions::cmdCancel_Click);

    Localize();
    mdlTools::FillComPortList(cboComPorts, QStringLiteral("*"));
    optEthernet->setChecked(mdlMain::UseEthernet);
    optSerialPort->setChecked(!mdlMain::UseEthernet);
    cboComPorts->setEditText(QString::number(mdlMain::PortNumber));
    cboBaudrate->setEditText(QString::number(mdlMain::BaudRate));
    txtIP->setText(mdlMain::IPAddress);
    txtPort->setText(QString::number(mdlMain::TCPPort));
    chkHeader->setChecked(mdlMain::IncludeHeader);
    txtCommentChr->setText(mdlMain::CommentChar);
    txtFormat->setText(mdlMain::DataFormat);
    txtFormat_Change();
    UpdateControls();
}

void FOptions::buildLayout()
{
    auto *connection = new QGridLayout(fra[0]);
    connection->addWidget(optSerialPort, 0, 0);
    connection->addWidget(cboComPorts, 0, 1);
    connection->addWidget(cboBaudrate, 0, 2);
    connection->addWidget(optEthernet, 1, 0);
    connection->addWidget(txtIP, 1, 1);
    connection->addWidget(txtPort, 1, 2);

    auto *dataExport = new QGridLayout(fra[1]);
    dataExport->addWidget(chkHeader, 0, 0, 1, 2);
    dataExport->addWidget(lbl[0], 1, 0);
    dataExport->addWidget(txtCommentChr, 1, 1);
    dataExport->addWidget(lbl[1], 2, 0);
    dataExport->addWidget(txtFormat, 2, 1);
    // The sample goes under the format, as wide as the box; a longer one is cut at the dialog's
    // edge instead of widening the dialog, which a format full of "%" would take beyond the screen.
    dataExport->addWidget(lblFormatSample, 3, 1);
    lblFormatSample->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lbl[0]->setBuddy(txtCommentChr);
    lbl[1]->setBuddy(txtFormat);

    cmdOk->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fra[0]);
    layout->addWidget(fra[1]);
    layout->addLayout(buttons);
}

void FOptions::Localize()
{
    setWindowTitle(mdlStrings::Translate(txt::Options));
    chkHeader->setText(mdlStrings::Translate(txt::IncludeHeader));
    lbl[0]->setText(mdlStrings::Translate(txt::CommentCharacter));
    lbl[1]->setText(mdlStrings::Translate(txt::MenuFormat));
    optSerialPort->setText(mdlStrings::Translate(txt::SerialPort));
    optEthernet->setText(mdlStrings::Translate(txt::Ethernet));
    cmdCancel->setText(mdlStrings::Translate(txt::Cancel));
    cmdOk->setText(mdlStrings::Translate(txt::Ok));
    fra[0]->setTitle(mdlStrings::Translate(txt::Connection));
    fra[1]->setTitle(mdlStrings::Translate(txt::DataExport));
}

void FOptions::UpdateControls()
{
    const bool ethernet = optEthernet->isChecked();
    txtIP->setEnabled(ethernet);
    txtPort->setEnabled(ethernet);
    cboComPorts->setEnabled(!ethernet);
    cboBaudrate->setEnabled(!ethernet);
}

int16_t FOptions::GetComPortNumber() const
{
    const QString text = cboComPorts->currentText();
    const QString number = text.startsWith(QLatin1String("COM")) ? text.mid(3) : text;
    return wholeOrZero(platform::runtime::toInteger, platform::runtime::val(number));
}

void FOptions::optEthernet_Click()
{
    UpdateControls();
}

void FOptions::optSerialPort_Click()
{
    UpdateControls();
}

void FOptions::txtFormat_Change()
{
    try {
        lblFormatSample->setText(platform::runtime::format(SampleNumber, txtFormat->text()));
        formatValid_ = true;
    } catch (const platform::Error &) {
        lblFormatSample->setText(QStringLiteral("---"));
        formatValid_ = false;
    }
}

void FOptions::cmdOk_Click()
{
    mdlMain::UseEthernet = optEthernet->isChecked();
    mdlMain::PortNumber = GetComPortNumber();
    mdlMain::BaudRate = wholeOrZero(platform::runtime::toLong, mdlTools::ValDot(cboBaudrate->currentText()));
    mdlMain::IPAddress = txtIP->text().trimmed();
    mdlMain::TCPPort = wholeOrZero(platform::runtime::toLong, mdlTools::ValDot(txtPort->text()));

    setCursor(Qt::WaitCursor);
    mdlMain::OpenDevicePort();
    unsetCursor();

    mdlMain::IncludeHeader = chkHeader->isChecked();
    mdlMain::CommentChar = txtCommentChr->text();
    mdlMain::DataFormat = formatValid_ ? txtFormat->text() : QStringLiteral("Scientific");
    accept();
}

void FOptions::cmdCancel_Click()
{
    reject();
}
