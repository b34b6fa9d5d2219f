#include "DialogTitleRoom.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <algorithm>

namespace platform {
namespace {
// The icon and the minimise, maximise and close buttons, each about a title line high and square,
// and as much again for the margins around the title and a window manager's wider title face.
constexpr int TitleBarButtons = 4;
constexpr int TitleBarMargins = 2;
constexpr int ButtonPadding = 8;
const char *const RoomReserved = "titleRoomReserved";
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
    if (event->type() == QEvent::Show) {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (dialog && dialog->isWindow())
            widen(dialog);
    }
    return QObject::eventFilter(watched, event);
}

void DialogTitleRoom::widen(QDialog *dialog)
{
    const int needed = widthFor(dialog);
    // A message box fixes its size from its layout whenever it lays itself out: the room goes there.
    auto *grid = qobject_cast<QMessageBox *>(dialog) ? qobject_cast<QGridLayout *>(dialog->layout()) : nullptr;
    if (grid) {
        if (dialog->property(RoomReserved).toBool())
            return;
        dialog->setProperty(RoomReserved, true);
        const QMargins margins = grid->contentsMargins();
        grid->addItem(new QSpacerItem(needed - margins.left() - margins.right(), 0, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
        return;
    }
    if (dialog->width() < needed) {
        dialog->setMaximumWidth(std::max(needed, dialog->maximumWidth()));
        dialog->resize(needed, dialog->height());
    }
}

}  // namespace platform
