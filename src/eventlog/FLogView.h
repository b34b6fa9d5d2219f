#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>

class CDevice;
class QLabel;
class QScrollBar;
class QTreeWidget;

// The device's two event logs side by side, log N on the left and log V on the right, 16 records
// a page with the newest first. Only the page on screen is read from the device: when the user
// pages and whenever the device's newest-record word of that log moves. Each window keeps its own
// pages and pointers; several may be open at once. A page's reads are queued, never waited for,
// one page of a log at a time: a page wanted meanwhile (a newer word, another page) replaces any
// wanted before it and is read when the outstanding reads have ended.
class FLogView : public QWidget {
    Q_OBJECT
public:
    // A modeless window owned by owner (which may be null); it loads at once and deletes itself
    // when closed.
    explicit FLogView(QWidget *owner = nullptr);
    ~FLogView() override;

    QTreeWidget *lvwEventsN;
    QTreeWidget *lvwEventsV;
    QScrollBar *scbListN;
    QScrollBar *scbListV;
    QLabel *lblPageN;
    QLabel *lblPageV;

    int32_t PageSize = 16;
    int32_t AppID = 0;
    int32_t LastPointerN = 0;
    int32_t LastPointerV = 0;

    void mDevice_NewRAMData(int32_t First, int32_t Count);
    void mDevice_LogUpdated(int32_t First, int32_t Count);
    void mDevice_ConnectionStatusChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Log;

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void SetCaptions();
    void RequestPointer(const Log &log);
    // Asks for the page on screen: the label names it at once, and its reads go as soon as no read
    // of that log is outstanding.
    void RequestPage(Log &log);
    // Sends the reads of the page wanted, once the log's last reads have ended.
    void readWantedPage(Log &log);
    void ShowPage(const Log &log);
    void AddRow(const Log &log, int32_t Position);
    void followPointer(Log &log, int32_t first, int32_t count);
    // True when the key pages the list; it is then consumed.
    bool KeyDown(const Log &log, int key);
    QByteArray recordAt(const Log &log, int32_t position) const;
    int pixels(int twips) const;

    QPointer<CDevice> mDevice;
    std::unique_ptr<Log> logN_;
    std::unique_ptr<Log> logV_;
};
