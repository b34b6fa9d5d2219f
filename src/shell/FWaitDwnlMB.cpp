#include "FWaitDwnlMB.h"

#include "FMainShared.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "firmware/BootLoaderLink.h"
#include "firmware/FirmwareImage.h"
#include "firmware/LegacyBootLoader.h"
#include "firmware/ModbusBootLoader.h"
#include "firmware/mdlSoftwares.h"
#include "platform/Error.h"
#include "platform/PumpingWait.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using mdlStrings::Translate;

const QString Ellipsis = QStringLiteral("...");

void warn(const QString &message)
{
    platform::ui::msgBox(message, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, fmain::ConsoleTitle());
}

}  // namespace

FWaitDwnlMB::FWaitDwnlMB(QWidget *parent)
    : QDialog(parent), lblMsg(new QLabel(this)), Frame1(new QGroupBox(this)), lblProduct(new QLabel(Frame1)),
      lblSerial(new QLabel(Frame1)), pgbUpload(new QProgressBar(this))
{
    setObjectName(QStringLiteral("FWaitDwnlMB"));
    setWindowTitle(fmain::ConsoleTitle());
    setModal(true);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    lblProduct->setObjectName(QStringLiteral("lblProduct"));
    lblSerial->setObjectName(QStringLiteral("lblSerial"));
    // The boot loader's product name and serial number, and error descriptions: never markup.
    for (QLabel *label : {lblMsg, lblProduct, lblSerial})
        label->setTextFormat(Qt::PlainText);
    pgbUpload->setObjectName(QStringLiteral("pgbUpload"));
    pgbUpload->setVisible(false);
    pgbUpload->setTextVisible(false);

    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(lblProduct);
    frameLayout->addWidget(lblSerial);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg);
    layout->addWidget(Frame1);
    layout->addWidget(pgbUpload);
    setMinimumWidth(420);
    Form_Load();
}

FWaitDwnlMB::~FWaitDwnlMB() = default;

bool FWaitDwnlMB::Run(QWidget *owner)
{
    FWaitDwnlMB window(owner);
    const platform::pumping::Scope modal;
    window.exec();
    return window.DownloadResult;
}

bool FWaitDwnlMB::ImageReady(int32_t softwareId)
{
    const QByteArray hexText = findImage(softwareId);
    if (hexText.isEmpty()) {
        warn(Translate(txt::UnableToDownloadSoftware));
        return false;
    }
    if (!FirmwareImage(hexText).isValid()) {
        warn(Translate(txt::CheckSumError));
        return false;
    }
    return true;
}

void FWaitDwnlMB::Form_Load()
{
    ClearMessage();
    RunOnce = true;
}

void FWaitDwnlMB::ClearMessage()
{
    lblMsg->setText(QString());
}

void FWaitDwnlMB::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The run starts once the window is on screen, from the event loop that shows it.
    if (RunOnce)
        QTimer::singleShot(0, this, &FWaitDwnlMB::Form_Activate);
}

void FWaitDwnlMB::Form_Activate()
{
    QCoreApplication::processEvents();
    if (!RunOnce)
        return;
    RunOnce = false;
    running_ = true;
    lblMsg->setText(Translate(txt::EnteringDownloadMode) + Ellipsis);
    DownloadResult = DownloadProgID(10 * mdlMain::CurrentSoftware.Index);
    if (DownloadResult)
        lblMsg->setText(Translate(txt::DownloadComplete));
    else
        warn(Translate(txt::UnableToDownloadSoftware));
    running_ = false;
    done(DownloadResult ? Accepted : Rejected);
}

// A download stopped half-way leaves the device with part of an image, so while it runs the
// window cannot be closed: neither its close box nor Escape ends it.
void FWaitDwnlMB::closeEvent(QCloseEvent *event)
{
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FWaitDwnlMB::reject()
{
    if (!running_)
        QDialog::reject();
}

QByteArray FWaitDwnlMB::findImage(int32_t softwareId)
{
    const QByteArray image = ImageSource ? ImageSource(softwareId) : mdlSoftwares::EmbeddedFirmwareImage(softwareId);
    const std::optional<FirmwareImage::Tag> tag = FirmwareImage::readTag(image);
    return tag && tag->softwareId == softwareId ? image : QByteArray();
}

bool FWaitDwnlMB::DownloadProgID(int32_t ProgID)
{
    UnitAddress = 1;
    try {
        // The image is checked whole before any loader is entered: entering one already erases
        // the device, and a device left with a damaged or partial image does not start again.
        const QByteArray hexText = findImage(ProgID / 10);
        if (hexText.isEmpty())
            return false;
        const FirmwareImage image(hexText);
        if (!image.isValid()) {
            warn(Translate(txt::CheckSumError));
            return false;
        }

        const std::unique_ptr<BootLoaderLink> link = BootLoaderLink::mainLink();
        ModbusBootLoader modbus(*link, UnitAddress);
        LegacyBootLoader legacy(*link);
        BootLoader *loader = &modbus;
        if (!modbus.Identify(DeviceId)) {
            lblMsg->setText(Translate(txt::EnteringDownloadMode) + Ellipsis + Ellipsis);
            if (!legacy.Enter(DeviceId)) {
                warn(Translate(txt::CannotEnterDownloadMode));
                return false;
            }
            loader = &legacy;
        }
        lblProduct->setText(Translate(txt::ProductId) + QStringLiteral(": ") + DeviceId.ProductName() +
                            QStringLiteral("\r\n"));
        lblSerial->setText(Translate(txt::SerialNumber) + QStringLiteral(": ") + DeviceId.SerialNumber());
        if (!DeviceId.ProductName().startsWith(ProductPrefix)) {
            warn(Translate(txt::CannotUploadIntoProduct));
            return false;
        }
        lblMsg->setText(Translate(txt::UploadingFirmware) + Ellipsis);
        return upload(image, *loader);
    } catch (const std::exception &error) {
        // Every failure ends the run here: escaping, it would leave the window open for good,
        // since it cannot be closed while the run lasts.
        warn(platform::describe(error));
        return false;
    }
}

bool FWaitDwnlMB::upload(const FirmwareImage &image, BootLoader &loader)
{
    const std::vector<HexRecord> &records = image.records();
    pgbUpload->setMaximum(static_cast<int>(records.size()) - 1);
    pgbUpload->setVisible(true);
    for (std::size_t i = 0; i < records.size(); ++i) {
        pgbUpload->setValue(static_cast<int>(i));
        const HexRecord &record = records[i];
        if (record.type == HexRecord::TypeData) {
            if (!loader.WriteData(record)) {
                warn(Translate(txt::DataTransferError));
                return false;
            }
        } else if (record.type == HexRecord::TypeEnd) {
            // The image is all written: a start the loader does not acknowledge is reported and
            // the run still counts as done.
            if (!loader.StartProgram())
                warn(Translate(txt::ErrorInStartingProgram));
        }
    }
    return true;
}
