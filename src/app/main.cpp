#include "shell/base/mdlMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    mdlMain::Main();
    return QApplication::exec();
}
