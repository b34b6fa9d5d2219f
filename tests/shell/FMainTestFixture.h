#pragma once

#include "StandInLinkTest.h"
#include "platform/FrameFitter.h"
#include "shell/FMain.h"
#include "shell/StatusBarPanel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The main window against the in-process device stand-in.
class MainWindowTest : public StandInLinkTest {
protected:
    void SetUp() override
    {
        StandInLinkTest::SetUp();
        sim.setStatusBit(49, true);
    }

    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
        StandInLinkTest::TearDown();
    }

    // Loads the window (which connects) and waits for the device to be identified.
    void open(bool expectConnection = true)
    {
        window = std::make_unique<FMain>();
        window->Form_Load();
        // Under a window manager the window is placed once it is framed, which may come later.
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window->findChild<platform::FrameFitter *>(); }, 2000));
        if (expectConnection) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return device().Connected(); }, 3000))
                << "the device was not identified";
            // The panel is hosted from the event loop, after the identification.
            QCoreApplication::processEvents();
        }
    }

    // Waits until the stand-in has answered every request sent so far.
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return device().PendingRequests().Count() == 0; }, 3000));
    }

    // Runs one watchdog tick now and waits for its answer.
    void poll()
    {
        window->tmrCheckStatus_Timer();
        settle();
        ASSERT_TRUE(device().Connected());
    }

    QString panelText(const char *key) const { return window->panel(QLatin1String(key))->text(); }

    // The device's role, alarm, lamps, serial number and version, as the status bar shows them.
    QString deviceState() const
    {
        QStringList texts;
        for (const char *key : {"Admin", "Status", "O1", "O2", "O3", "IN1", "IN2", "SN", "FW_Version"})
            texts << panelText(key);
        return texts.join(QLatin1Char('|'));
    }
    static inline const QString IdentifiedState = QStringLiteral("S|Output disabled|O1|||MA|AI|XR-S-999001|Ver. 17.15");
    void showRoleAndLamps()
    {
        sim.setStatusBit(54, true);
        sim.setStatusBit(48, true);
        sim.setIOByte(0b1000'1001);
    }

    // Requests of one function that reached the stand-in, for example every register write.
    QList<devsim::SimRequest> requestsOf(quint8 function) const
    {
        QList<devsim::SimRequest> found;
        for (const devsim::SimRequest &request : sim.requests()) {
            if (request.function == function)
                found.append(request);
        }
        return found;
    }

    // Every value written to one holding register, in order.
    QList<quint16> writesTo(quint16 address) const
    {
        QList<quint16> values;
        for (const devsim::SimRequest &request : requestsOf(6)) {
            if (request.address == address)
                values.append(request.quantity);
        }
        return values;
    }

    // Acts on the next modal dialog of type Dialog as soon as it is shown (while the window lives).
    template <typename Dialog> void whenShown(std::function<void(Dialog *)> act)
    {
        auto *timer = new QTimer(window.get());
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                act(dialog);
            }
        });
        timer->start();
    }

    std::unique_ptr<FMain> window;
};
