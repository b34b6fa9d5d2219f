#pragma once

#include <QByteArray>
#include <QMap>

namespace devsim {

class DeviceMemory;

// What both boot loaders work on: the program memory a download fills, the identification they
// answer with, and the firmware the device runs once a download has been finished.
class BootLoaderFlash {
public:
    // Eight NUL-padded fields: loader version, loader name, product name, serial number, four spare.
    static constexpr int IdentitySize = 104;

    explicit BootLoaderFlash(DeviceMemory &memory) : memory_(memory) {}

    void setProductName(const QByteArray &name) { productName_ = name.left(40); }
    QByteArray productName() const { return productName_; }
    QByteArray identity(const QByteArray &loaderVersion, const QByteArray &loaderName) const;

    // A new download: what an earlier one wrote is forgotten.
    void erase();
    void write(int address, const QByteArray &bytes);
    // The end of a download: the device takes the version and software id from the image's tag
    // (bytes 3 and 4 "C0 DE", then the version and the id) and runs it from now on.
    void finish();

    const QMap<int, quint8> &programmed() const { return programmed_; }
    int dataWrites() const { return dataWrites_; }
    int finishedDownloads() const { return finishedDownloads_; }

private:
    DeviceMemory &memory_;
    QByteArray productName_ = "Varix 4.2 vibration sensor";
    QMap<int, quint8> programmed_;
    int dataWrites_ = 0;
    int finishedDownloads_ = 0;
};

}  // namespace devsim
