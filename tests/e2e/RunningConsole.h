#pragma once

#include "device/CDevice.h"
#include "session/MainWindowHook.h"
#include "session/mdlMain.h"
#include "session/mdlMainLink.h"
#include "shell/FMain.h"
#include "shell/StatusBarPanel.h"

#include <QApplication>
#include <QPointer>

// The whole program as main() starts it, configured only through the INI file in the program
// folder; closed, with its link objects released, when the object goes.
class RunningConsole {
public:
    RunningConsole()
    {
        mdlMain::LoadMainWindow = [] { FMain::Load(); };
        mdlMain::Main();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *main = qobject_cast<FMain *>(widget))
                window = main;
        }
    }
    ~RunningConsole()
    {
        if (window)
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        mdlMain::ReleaseLink();
        mdlMain::LoadMainWindow = nullptr;
        mdlMain::CurrentSoftware = SoftwareRecord();
    }
    RunningConsole(const RunningConsole &) = delete;
    RunningConsole &operator=(const RunningConsole &) = delete;

    bool connected() const { return window && mdlMain::Device().Connected(); }
    QString panel(const char *key) const { return window->panel(QLatin1String(key))->text(); }

    QPointer<FMain> window;
};
