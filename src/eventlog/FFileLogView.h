#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QPlainTextEdit;

// A saved event log, or any text file, shown as it stands in one scrolling text box. The shell
// keeps one window for the whole run; each import replaces the text.
class FFileLogView : public QWidget {
    Q_OBJECT
public:
    // Larger files are refused: the largest export is about 1.2 MB, and a text box holding tens
    // of megabytes would leave the console unresponsive for a long time.
    static constexpr qint64 MaximumFileSize = 4 * 1024 * 1024;

    explicit FFileLogView(QWidget *owner = nullptr);

    // Shows the file. A file that cannot be read, or one too large, is reported, the text on
    // screen stays as it was and the result is false.
    bool ImportFile(const QString &FileName);

    // The text as the file's lines make it: every line followed by CR LF. A line ends at CR LF or
    // at a CR alone; a line feed alone stays inside its line.
    static QString TextOfFile(const QByteArray &bytes);

    QPlainTextEdit *txtFileView;

private:
    void Localize();
};
