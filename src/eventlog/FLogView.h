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
// pages and pointers; several may be open at once.
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
    void RequestPage(const Log &log);
    void ShowPage(const Log &log);
    void AddRow(const Log &log, int32_t Position);
    void followPointer(const Log &log, int32_t first, int32_t count);
    // True when the key pages the list; it is then consumed.
    bool KeyDown(const Log &log, int key);
    QByteArray recordAt(const Log &log, int32_t position) const;
    int pixels(int twips) const;

    QPointer<CDevice> mDevice;
    std::unique_ptr<Log> logN_;
    std::unique_ptr<Log> logV_;
};
