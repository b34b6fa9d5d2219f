#pragma once

#include "firmware/BootLoader.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

class FirmwareImage;
class QGroupBox;
class QLabel;
class QProgressBar;

// The modal firmware download: on its first activation it finds whichever boot loader answers,
// checks the product, writes the carried image of the current software record and hides itself,
// leaving the outcome in DownloadResult. It never restores the normal link: its caller does.
class FWaitDwnlMB : public QDialog {
    Q_OBJECT
public:
    // A product name must begin with this for the image to be written.
    static inline const QString ProductPrefix = QStringLiteral("Varix 4.2");

    explicit FWaitDwnlMB(QWidget *parent = nullptr);
    ~FWaitDwnlMB() override;

    // Shows the window modally, owned by `owner`, and returns its outcome; the main window's
    // download hook.
    static bool Run(QWidget *owner);

    // True when the carried image of a software id is there and every record of it checks;
    // otherwise tells the user why. The main window asks before it sends command 3.
    static bool ImageReady(int32_t softwareId);

    // The Intel HEX text carried for a software id; empty when the program carries none.
    static inline std::function<QByteArray(int32_t softwareId)> ImageSource;

    // The identification of the boot loader that answered last; kept after the window is gone.
    static inline DeviceIdRecord DeviceId;

    // Downloads the image of software ProgID / 10; true when the whole image was written.
    bool DownloadProgID(int32_t ProgID);
    void ClearMessage();

    bool DownloadResult = false;
    int32_t UnitAddress = 1;

    QLabel *lblMsg;
    QGroupBox *Frame1;
    QLabel *lblProduct;
    QLabel *lblSerial;
    QProgressBar *pgbUpload;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Activate();
    static QByteArray findImage(int32_t softwareId);
    bool upload(const FirmwareImage &image, BootLoader &loader);

    bool RunOnce = false;
    bool running_ = false;
};
