#include "DialogTitleRoom.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

namespace platform {
namespace {
// The icon and the minimise, maximise and close buttons, each about a title line high and square,
// and as much again for the margins around the title and a window manager's wider title face.
constexpr int TitleBarButtons = 4;
constexpr int TitleBarMargins = 2;
constexpr int ButtonPadding = 8;
}  // namespace

int DialogTitleRoom::widthFor(const QWidget *window)
{
    QFont bold = window->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(window->windowTitle()) +
           (TitleBarButtons + TitleBarMargins) * (metrics.height() + ButtonPadding);
}

bool DialogTitleRoom::eventFilter(QObject *watched, QEvent *event)
{
    // After the dialog's own show handling, which may fix its size (a message box does).
    if (event->type() == QEvent::ShowToParent) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        const int needed = dialog && dialog->isWindow() ? widthFor(dialog) : 0;
        if (dialog && dialog->width() < needed) {
            dialog->setMaximumWidth(std::max(needed, dialog->maximumWidth()));
            dialog->resize(needed, dialog->height());
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
