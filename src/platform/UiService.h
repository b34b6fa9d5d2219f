#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace platform {

enum class MsgButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
// The button that Enter presses, counted in the order the set names them (Yes before No).
enum class MsgDefault { First, Second, Third };

struct MessageBoxRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    MsgDefault defaultButton = MsgDefault::First;
};

struct InputBoxRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString title;
    QString filter;  // "Name (*.ext);;All Files (*.*)"
    QString initialDir;
    QString fileName;
    QString defaultSuffix;  // added to a typed name that has no extension ("vps")
};

// Answers the questions the program asks its user. The desktop responder shows real dialogs;
// tests install a scripted one.
class UiResponder {
public:
    virtual ~UiResponder() = default;
    virtual MsgResult messageBox(const MessageBoxRequest &request) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const InputBoxRequest &request) = 0;
    // Empty when the user cancels.
    virtual QString fileDialog(const FileDialogRequest &request) = 0;
};

// The one way the program asks its user anything.
namespace ui {

// Title used when a caller gives none.
inline const QString DefaultTitle = QStringLiteral("Varix Configuration Console");

MsgResult msgBox(const QString &text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 const QString &title = QString(), MsgDefault defaultButton = MsgDefault::First);
std::optional<QString> inputBox(const QString &prompt, const QString &title = QString(),
                                const QString &defaultText = QString());
QString fileDialog(const FileDialogRequest &request);

// Installs a responder (nullptr restores the desktop one); the caller keeps ownership.
void setResponder(UiResponder *responder);

}  // namespace ui

}  // namespace platform
