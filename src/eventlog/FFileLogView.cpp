#include "FFileLogView.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/AnsiText.h"
#include "platform/RegularFile.h"
#include "platform/UiService.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// Design inner size in twips.
constexpr int DesignWidth = 9480;
constexpr int DesignHeight = 6480;
// A line feed that does not end a line is shown by its control picture, so that it stays visible
// inside the line.
constexpr char16_t LineFeedPicture = u'\u240A';

void refuse(const QString &message)
{
    platform::ui::msgBox(message, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation);
}

}  // namespace

FFileLogView::FFileLogView(QWidget *owner) : QWidget(owner, Qt::Window), txtFileView(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("FFileLogView"));
    txtFileView->setObjectName(QStringLiteral("txtFileView"));
    txtFileView->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtFileView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtFileView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtFileView);
    if (owner)
        setWindowIcon(owner->windowIcon());
    Localize();
    const double pixelsPerTwip = logicalDpiY() / 1440.0;
    resize(qRound(DesignWidth * pixelsPerTwip), qRound(DesignHeight * pixelsPerTwip));
}

void FFileLogView::Localize()
{
    setWindowTitle(mdlStrings::Translate(txt::LogViewer));
}

QString FFileLogView::TextOfFile(const QByteArray &bytes)
{
    const QString input = platform::ansi::decode(bytes);
    QString text;
    text.reserve(input.size() + input.size() / 32 + 2);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (input[i] != QLatin1Char('\r'))
            continue;
        text += QStringView(input).sliced(lineStart, i - lineStart);
        text += QStringLiteral("\r\n");
        if (i + 1 < input.size() && input[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < input.size()) {
        text += QStringView(input).sliced(lineStart);
        text += QStringLiteral("\r\n");
    }
    return text;
}

bool FFileLogView::ImportFile(const QString &FileName)
{
    platform::RegularFile file(FileName, MaximumFileSize);
    if (file.status() == platform::RegularFile::Status::TooLarge) {
        refuse(FileName + QStringLiteral("\r\n") +
               mdlStrings::Translate(QStringLiteral("The file is too large to be an event log and is not shown.")));
        return false;
    }
    const bool opened = file.status() == platform::RegularFile::Status::Ok;
    QByteArray bytes;
    if (!file.readAll(bytes)) {
        refuse(mdlStrings::Translate(opened ? QStringLiteral("Cannot read the file")
                                            : QStringLiteral("Cannot open the file")) +
               QStringLiteral(" ") + FileName + QStringLiteral(": ") + file.reason());
        return false;
    }
    QString shown = TextOfFile(bytes);
    shown.replace(QLatin1Char('\n'), QChar(LineFeedPicture));
    shown.replace(QStringLiteral("\r") + QChar(LineFeedPicture), QStringLiteral("\n"));
    txtFileView->setPlainText(shown);
    return true;
}
