#include "DialogTitleRoom.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

namespace platform {
namespace {
// The icon and the minimise, maximise and close buttons, each about a title line high and square.
constexpr int TitleBarButtons = 4;
constexpr int ButtonPadding = 8;
}  // namespace

int DialogTitleRoom::widthFor(const QWidget *window)
{
    QFont bold = window->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(window->windowTitle()) + TitleBarButtons * (metrics.height() + ButtonPadding);
}

bool DialogTitleRoom::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow()) {
            const int needed = std::min(widthFor(dialog), dialog->maximumWidth());
            if (dialog->width() < needed)
                dialog->resize(needed, dialog->height());
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace platform
