#pragma once

#include <QObject>
#include <memory>

class CommPort;
class QSocketNotifier;

// Sleeps in the event loop until the serial port may hold the bytes a caller needs: woken by
// the port's descriptor when nothing is waiting, by the expected arrival time of the rest when
// part of it is there, and always by the deadline. A hung-up line (a pseudo-terminal whose
// other side went away) keeps reporting itself readable; it is then left to the deadline.
class PortWait : public QObject {
    Q_OBJECT
public:
    explicit PortWait(CommPort &port);
    ~PortWait() override;

    // One pass: returns after events were handled, or at the deadline (monotonic seconds).
    void sleep(int needed, double deadline);

private:
    void watchDescriptor();
    void onReadable();

    CommPort &port_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool hungUp_ = false;
};
