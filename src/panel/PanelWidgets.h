#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QString>
#include <cstdint>

class QComboBox;
class QLineEdit;
class QWidget;

// Small helpers the panel's forms share for colours and keyed lists.
namespace panelWidgets {

// Colours the device texts name (0x00BBGGRR).
inline constexpr uint32_t Red = 0x0000FF;
inline constexpr uint32_t Green = 0x00FF00;
inline constexpr uint32_t White = 0xFFFFFF;

// Paints a text box's background, or a frame's (which then fills it); a colour already set is
// left alone, so that frequent status updates cost nothing.
void setBoxColor(QLineEdit *box, const QColor &color);
QColor boxColor(const QLineEdit *box);
void setFrameColor(QWidget *frame, const QColor &color);
QColor frameColor(const QWidget *frame);

// The background a text box has by default.
QColor windowBackground();
// The background of a box the user may not edit: the one Qt gives a disabled box.
QColor lockedBackground();
// The background of a box that shows no state of its own: locked or editable, as it is.
QColor plainBackground(const QLineEdit *box);

QColor fromBgr(uint32_t bgr);

// A square swatch of the colour, as the function lists show beside their items.
QIcon swatch(const QColor &color);

// List items carry a text key; -1 when no item has it.
int indexOfKey(const QComboBox *list, const QString &key);
QString selectedKey(const QComboBox *list);

// The object name of a control of an array: name_index.
QString arrayName(const char *name, int index);

}  // namespace panelWidgets
