#include "mdlMain.h"

#include <QMainWindow>

namespace mdlMain {

void Main()
{
    LoadSettings();
    auto *window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Varix Configuration Console"));
    window->show();
}

void LoadSettings() {}

void SaveSettings() {}

}  // namespace mdlMain
