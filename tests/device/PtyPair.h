#pragma once

#include "TempProgramFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

// A pseudo-terminal whose slave the program folder names as dosdevices/comN; the test holds the
// master side and plays the device on it.
class PtyPair {
public:
    PtyPair(const TempProgramFolder &folder, int comNumber)
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            return;
        ::close(slave);  // the master reads EIO until the port under test opens the slave
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        QDir(folder.path()).mkpath(QStringLiteral("dosdevices"));
        QFile::link(QString::fromLocal8Bit(name), folder.file(QStringLiteral("dosdevices/com%1").arg(comNumber)));
    }
    ~PtyPair() { closeMaster(); }

    bool valid() const { return master_ >= 0; }
    int master() const { return master_; }

    void write(const QByteArray &bytes) const { (void)!::write(master_, bytes.constData(), bytes.size()); }

    QByteArray readAll() const
    {
        QByteArray all;
        char buffer[512];
        for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;)
            all.append(buffer, n);
        return all;
    }

    // The device goes away: the slave side reads end of file or EIO from now on.
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
};
