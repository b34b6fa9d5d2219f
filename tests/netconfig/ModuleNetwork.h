#pragma once

#include "QtPrinters.h"
#include "ScriptedResponder.h"
#include "TempProgramFolder.h"
#include "TestNetwork.h"
#include "netconfig/FConfigNetwork.h"
#include "netconfig/ModuleList.h"
#include "platform/Clock.h"
#include "platform/UiService.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The device stand-in as a process in a namespace of the test network: Modbus/TCP on port 502 of
// its module's address and the device-server datagrams on UDP 30718.
class ModuleProcess {
public:
    // faults: more options of the stand-in, such as "--udp-reply-delay", "500".
    ModuleProcess(const QString &ns, const QString &address, const QString &mac, const QStringList &faults = {})
    {
        process_.start(QStringLiteral("ip"),
                       QStringList{"netns", "exec", ns, QStringLiteral(VARIX_DEVSIM_PATH), "--tcp", "502", "--ip",
                                   address, "--device-server", "--mac", mac, "--firmware-version", "0xCF",
                                   "--software-id", "24", "--status-byte", "0x02", "--serial-number",
                                   "XR-S-" + mac.right(2)} +
                           faults);
        ready_ = waitForOutput(QStringLiteral("READY "));
    }

    ~ModuleProcess()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(3000);
    }

    bool ready() const { return ready_; }

    // Waits until the output holds the text; the lines "UDP <kind> <sender> <length>" tell what came.
    bool waitForOutput(const QString &text, int ms = 5000)
    {
        return QTest::qWaitFor(
                   [this, &text] {
                       output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
                       return output_.contains(text) || process_.state() == QProcess::NotRunning;
                   },
                   ms) &&
               output_.contains(text);
    }

    // How many datagrams of a kind ("F6") it has received, and from where, as "10.1.2.3:30718 4".
    QStringList received(const QString &kind)
    {
        output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        QStringList found;
        for (const QString &line : output_.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("UDP ") + kind + QLatin1Char(' ')))
                found << line.mid(7);
        }
        return found;
    }

private:
    QProcess process_;
    QString output_;
    bool ready_ = false;
};

// The console's card 10.1.2.3/8 on a bridge; the module of "Press 4" at 10.200.0.1 on the same
// subnet (with 10.200.0.20 ready on its card for an assignment) and a lathe's module at
// 192.168.0.5/24 on the same wire but another subnet, and a faulty one that answers from the
// card subnet's broadcast address. The test's thread lives in the console's namespace; the names
// file and the INI in a temporary program folder.
class ModuleNetwork : public ::testing::Test {
protected:
    static inline const QString PressMac = QStringLiteral("00-20-4A-12-AB-CD");
    static inline const QString LatheMac = QStringLiteral("00-80-A3-00-00-05");
    static inline const QString BroadcasterMac = QStringLiteral("00-20-4A-00-00-FF");

    void SetUp() override
    {
        network = std::make_unique<TestNetwork>(QStringLiteral("10.1.2.3/8"));
        if (!network->available())
            GTEST_SKIP() << "no test namespaces here, so nothing may be broadcast: " << network->reason().toStdString();
        const QString pressNs = network->addModule(QStringLiteral("10.200.0.1/8"));
        const QString latheNs = network->addModule(QStringLiteral("192.168.0.5/24"));
        const QString broadcasterNs = network->addModule(QStringLiteral("10.255.255.255/32"));
        ASSERT_FALSE(pressNs.isEmpty() || latheNs.isEmpty() || broadcasterNs.isEmpty())
            << network->reason().toStdString();
        // The lathe's module takes the card's subnet broadcasts as modules do, and answers on the wire.
        ASSERT_TRUE(network->ip(pressNs, QStringLiteral("addr add 10.200.0.20/8 dev eth0")) &&
                    network->ip(latheNs, QStringLiteral("route add broadcast 10.255.255.255 dev eth0 table local "
                                                        "scope link src 192.168.0.5")) &&
                    network->ip(latheNs, QStringLiteral("route add 10.0.0.0/8 dev eth0")) &&
                    network->ip(broadcasterNs, QStringLiteral("route add 10.0.0.0/8 dev eth0")))
            << network->reason().toStdString();
        press = std::make_unique<ModuleProcess>(pressNs, QStringLiteral("10.200.0.1"), PressMac);
        lathe = std::make_unique<ModuleProcess>(latheNs, QStringLiteral("192.168.0.5"), LatheMac);
        broadcaster = std::make_unique<ModuleProcess>(broadcasterNs, QStringLiteral("10.255.255.255"), BroadcasterMac);
        ASSERT_TRUE(press->ready() && lathe->ready() && broadcaster->ready()) << "the module stand-ins did not start";
        ASSERT_TRUE(network->enter()) << network->reason().toStdString();
        platform::ui::setResponder(&ui);
        folder.write(QStringLiteral("interfaces.ini"),
                     "[00-20-4A-12-AB-CD] Press 4\r\n[00-80-A3-99-99-99] Old lathe\r\n[00-20-4a-00-00-07] lower\r\n");
    }

    void TearDown() override
    {
        dialog.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::clock::setTestOffset(0);
        platform::ui::setResponder(nullptr);
        press.reset();
        lathe.reset();
        broadcaster.reset();
        network.reset();
    }

    // The network dialog as the main window opens it: shown, then loaded, which searches.
    void openDialog()
    {
        dialog = std::make_unique<FConfigNetwork>();
        dialog->show();
        dialog->Form_Load();
    }

    // Each row as "name|MAC|address|status", in the list's order.
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < dialog->lvwInterfaces->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = dialog->lvwInterfaces->topLevelItem(i);
            texts << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join(QLatin1Char('|'));
        }
        return texts;
    }

    void select(const QString &mac) { dialog->lvwInterfaces->setCurrentItem(dialog->lvwInterfaces->row(mac)); }

    // Acts on the next modal dialog of type Dialog as soon as it shows.
    template <typename Dialog> void whenShown(std::function<void(Dialog *)> act)
    {
        auto *timer = new QTimer(qApp);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto *shown = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(shown);
            }
        });
        timer->start();
    }

    TempProgramFolder folder;
    ScriptedResponder ui;
    std::unique_ptr<TestNetwork> network;
    std::unique_ptr<ModuleProcess> press;
    std::unique_ptr<ModuleProcess> lathe;
    std::unique_ptr<ModuleProcess> broadcaster;
    std::unique_ptr<FConfigNetwork> dialog;
};

// Malformed datagrams from a port nobody expects, sent in bursts from the event loop: too short for
// their kind, without the zero header, of an unknown kind, from a foreign MAC block, oversized.
class DatagramFlood {
public:
    DatagramFlood(const QString &from, const QString &to, int total) : total_(total), target_(to)
    {
        socket_.bind(QHostAddress(from), 0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { burst(); });
        timer_.start(5);
    }

    int sent() const { return sent_; }
    bool done() const { return sent_ >= total_; }

private:
    void burst()
    {
        static const QByteArray kinds[] = {
            QByteArray(),
            QByteArray("\0\0", 2),
            QByteArray("\0\0\0\xF7", 4) + QByteArray(10, 'x'),
            QByteArray("\0\0\0\xF9", 4) + QByteArray(5, 'x'),
            QByteArray("\x01\0\0\xF7", 4) + QByteArray(20, '\0') + QByteArray::fromHex("00204A12ABCD"),
            QByteArray("\0\0\0\xF7", 4) + QByteArray(20, '\0') + QByteArray::fromHex("0090C2010203"),
            QByteArray("\0\0\0\x42", 4) + QByteArray(40, 'y'),
            QByteArray("\0\0\0\xFD", 4) + QByteArray(120, 'z'),
        };
        for (int i = 0; i < 50 && sent_ < total_; ++i, ++sent_) {
            const QByteArray datagram = sent_ % 500 == 0 ? QByteArray(60000, '\xEE') : kinds[sent_ % std::size(kinds)];
            socket_.writeDatagram(datagram, QHostAddress(target_), 30718);
        }
        if (done())
            timer_.stop();
    }

    int total_;
    int sent_ = 0;
    QString target_;
    QUdpSocket socket_;
    QTimer timer_;
};
