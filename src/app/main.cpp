#include "shell/base/mdlMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varix-console"));
    QApplication::setApplicationVersion(QStringLiteral(VARIX_VERSION));
    mdlMain::Main();
    return QApplication::exec();
}
