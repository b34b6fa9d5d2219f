#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QSocketNotifier;

namespace devsim {

// The serial side of the stand-in: the master end of a pseudo-terminal, with a symbolic link that
// names its slave end for the client. The link keeps a slave descriptor of its own, so the master
// never reads EIO while no client has the port open; closing both ends plays a pulled cable.
class PtyLink : public QObject {
    Q_OBJECT
public:
    // Called with the bytes received so far; lineIdle once the line has been quiet for a frame gap.
    using Receiver = std::function<void(QByteArray &buffer, bool lineIdle)>;
    static constexpr int FrameGapMs = 30;
    static constexpr int PaceTickMs = 2;

    explicit PtyLink(Receiver receiver, QObject *parent = nullptr);
    ~PtyLink() override;

    // Opens a fresh pseudo-terminal and points linkPath at its slave end.
    bool open(const QString &linkPath);
    // Closes both ends and removes the link; the client's descriptor then reads end of file or EIO.
    void close();
    bool isOpen() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    QString linkPath() const { return linkPath_; }
    QString errorString() const { return error_; }

    void write(const QByteArray &bytes);
    // Bytes written leave at this line speed, 10 bits each, as on a real line; 0 sends at once.
    void setPacing(int baud);
    // The speed the client's side of the line is set to; 0 while closed.
    int lineSpeed() const;

private:
    void readAvailable();
    void writeNow(const QByteArray &bytes);
    // Sends what the line speed has let through since the bytes waiting began to leave.
    void sendPaced();
    bool fail(const QString &what);

    Receiver receiver_;
    int master_ = -1;
    int slaveKeeper_ = -1;
    QSocketNotifier *notifier_ = nullptr;
    QTimer gap_;
    QByteArray buffer_;
    int pacingBaud_ = 0;
    QTimer pace_;
    QElapsedTimer pacedSince_;
    qint64 pacedBytes_ = 0;
    QByteArray outgoing_;
    QString slavePath_;
    QString linkPath_;
    QString error_;
};

}  // namespace devsim
