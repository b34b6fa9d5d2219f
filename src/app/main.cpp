#include "panel/UCKVR.h"
#include "platform/ConsoleApplication.h"
#include "session/MainWindowHook.h"
#include "session/mdlMain.h"
#include "shell/FMain.h"

int main(int argc, char *argv[])
{
    platform::ConsoleApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varix-console"));
    QApplication::setApplicationVersion(QStringLiteral(VARIX_VERSION));
    UCKVR::Register();
    mdlMain::LoadMainWindow = [] { FMain::Load(); };
    mdlMain::Main();
    return QApplication::exec();
}
