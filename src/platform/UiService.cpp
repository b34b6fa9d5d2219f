#include "UiService.h"

#include "PumpingWait.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {
namespace {

class DesktopResponder : public UiResponder {
public:
    MsgResult messageBox(const MessageBoxRequest &request) override
    {
        QMessageBox box(iconOf(request.icon), request.title, request.text, buttonsOf(request.buttons),
                        QApplication::activeWindow());
        // Boxes carry file names and error descriptions from outside: never markup.
        box.setTextFormat(Qt::PlainText);
        const QList<QMessageBox::StandardButton> named = namedButtons(request.buttons);
        const auto position = static_cast<qsizetype>(request.defaultButton);
        if (position < named.size())
            box.setDefaultButton(named.at(position));
        return resultOf(static_cast<QMessageBox::StandardButton>(box.exec()));
    }

    std::optional<QString> inputBox(const InputBoxRequest &request) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), request.title, request.prompt,
                                                   QLineEdit::Normal, request.defaultText, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    QString fileDialog(const FileDialogRequest &request) override
    {
        QString start = request.initialDir;
        if (!request.fileName.isEmpty())
            start = start.isEmpty() ? request.fileName : start + QLatin1Char('/') + request.fileName;
        QFileDialog dialog(QApplication::activeWindow(), request.title, start, request.filter);
        const bool open = request.kind == FileDialogRequest::Kind::Open;
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    }

private:
    static QMessageBox::Icon iconOf(MsgIcon icon)
    {
        switch (icon) {
        case MsgIcon::Critical: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
        case MsgIcon::Exclamation: return QMessageBox::Warning;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::None: break;
        }
        return QMessageBox::NoIcon;
    }

    // The buttons in the order their set names them.
    static QList<QMessageBox::StandardButton> namedButtons(MsgButtons buttons)
    {
        switch (buttons) {
        case MsgButtons::Ok: return {QMessageBox::Ok};
        case MsgButtons::OkCancel: return {QMessageBox::Ok, QMessageBox::Cancel};
        case MsgButtons::AbortRetryIgnore: return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case MsgButtons::YesNoCancel: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case MsgButtons::YesNo: return {QMessageBox::Yes, QMessageBox::No};
        case MsgButtons::RetryCancel: return {QMessageBox::Retry, QMessageBox::Cancel};
        }
        return {QMessageBox::Ok};
    }

    static QMessageBox::StandardButtons buttonsOf(MsgButtons buttons)
    {
        QMessageBox::StandardButtons set;
        for (const QMessageBox::StandardButton button : namedButtons(buttons))
            set |= button;
        return set;
    }

    static MsgResult resultOf(QMessageBox::StandardButton button)
    {
        switch (button) {
        case QMessageBox::Ok: return MsgResult::Ok;
        case QMessageBox::Abort: return MsgResult::Abort;
        case QMessageBox::Retry: return MsgResult::Retry;
        case QMessageBox::Ignore: return MsgResult::Ignore;
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        default: return MsgResult::Cancel;
        }
    }
};

DesktopResponder desktopResponder;
UiResponder *current = &desktopResponder;

}  // namespace

namespace ui {

MsgResult msgBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title, MsgDefault defaultButton)
{
    const pumping::Scope box;
    return current->messageBox({text, title.isEmpty() ? DefaultTitle : title, buttons, icon, defaultButton});
}

std::optional<QString> inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    const pumping::Scope box;
    return current->inputBox({prompt, title.isEmpty() ? DefaultTitle : title, defaultText});
}

QString fileDialog(const FileDialogRequest &request)
{
    const pumping::Scope dialog;
    return current->fileDialog(request);
}

void setResponder(UiResponder *responder)
{
    current = responder ? responder : &desktopResponder;
}

}  // namespace ui

}  // namespace platform
