#pragma once

#include "PendingLogOn.h"

#include <QObject>

class CDevice;
class QTimer;

// Keeps the device connected: every tick polls its status, opens the link again when the device
// is lost, and settles the log-ons the device answers only in a later poll. Ticks every 500 ms
// while the device answers and every 1500 ms while it does not.
class LinkWatchdog : public QObject {
    Q_OBJECT
public:
    enum class Role { Administrator, SuperUser };

    static constexpr int ConnectedMs = 500;
    static constexpr int DisconnectedMs = 1500;

    explicit LinkWatchdog(QObject *parent = nullptr);

    // The device watched; none once the link has been released, and ticks then do nothing.
    void setDevice(CDevice *device);
    void start();
    void stop();
    void tick();
    // A log-on has gone out to the device: a connected tick reports whether it took.
    void logOnSent(Role role);

signals:
    // A tick found the device lost and opened the link again.
    void linkReopened();

private:
    void settleLogOn(PendingLogOn &logOn, int roleBit);

    CDevice *device_ = nullptr;
    QTimer *timer_;
    PendingLogOn adminLogOn_;
    PendingLogOn superUserLogOn_;
    bool errorShown_ = false;
};
