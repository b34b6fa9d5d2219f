#pragma once

#include <QString>
#include <cstdint>

class CDevice;
class LinkWatchdog;
class QWidget;

// What the firmware flow needs of the window it runs in.
class FirmwareWindow {
public:
    // The owner of the download window.
    virtual QWidget *downloadOwner() = 0;
    // The device is about to be erased: nothing of its connection and no panel stays on show.
    virtual void releaseForDownload() = 0;
    virtual void BuildFirmwareMenus() = 0;
    // After a programming: whether the device has been identified again, with its panel hosted
    // when it has one.
    virtual bool panelReturned() = 0;

protected:
    ~FirmwareWindow() = default;
};

// The device's firmware against the images the console carries: the check on every connection,
// programming a catalogue entry through the download window, and the wait for the device's panel
// to come back afterwards.
class FirmwareFlow {
public:
    FirmwareFlow(FirmwareWindow &window, LinkWatchdog &watchdog);

    // The device programmed; none once the link has been released.
    void setDevice(CDevice *device);
    // Tells the user when the device runs another version than the carried image, and programs
    // the carried one when the user agrees.
    void checkOnConnection();
    // Programs the entry with this menu key; forced, nothing is asked and nothing reported.
    void SetOnChipSW(const QString &key, bool force);
    // Hands the link to the download window for entry k; true when the download succeeded.
    bool DownloadFirmware(int32_t k);
    // Waits until the device is back after a programming, or for up to the time it may take.
    void waitForPanelReturn();

private:
    FirmwareWindow &window_;
    LinkWatchdog &watchdog_;
    CDevice *device_ = nullptr;
};
