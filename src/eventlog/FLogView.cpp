#include "FLogView.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "device/ModbusFunction.h"
#include "mdlEvents.h"
#include "session/mdlMainLink.h"

#include <QCloseEvent>
#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

namespace {

using mdlStrings::Translate;

constexpr int CodeByte = 5;
constexpr int LoByte = 6;
constexpr uint8_t CodePowerOff = 241;
constexpr int RegistersPerRecord = 4;

// Design sizes in twips.
constexpr int InnerHeight = 4575;
constexpr int ListHeight = 3975;
constexpr int ScrollBarWidth = 1695;
constexpr int ScrollBarHeight = 525;
constexpr int ScrollBarNLeft = 30;
constexpr int ScrollBarNTop = 3990;
constexpr int ScrollBarVTop = 4020;
constexpr int LabelTop = 4140;
constexpr int LabelNLeft = 1980;
constexpr int LabelGap = 200;
constexpr int DesignWidth = 17460;
constexpr int ColumnPadding = 16;  // pixels

int32_t wrap(int32_t value, int32_t size)
{
    return ((value % size) + size) % size;
}

}  // namespace

// What tells the two logs apart: their size, registers, newest-record word and controls.
struct FLogView::Log {
    int32_t size;
    int32_t firstRegister;
    int32_t pointerByte;
    int32_t pointerRegister;
    int32_t updateOffset;  // First of LogUpdated for slot 0
    int32_t (CDevice::*mostRecent)() const;
    QByteArray (CDevice::*row)(int) const;
    QTreeWidget *list;
    QScrollBar *bar;
    QLabel *label;
    int32_t &lastPointer;
    // The reads of the last page asked of the device, while the device holds any of them.
    std::vector<MBRequestPtr> outstanding = {};
    bool pageWanted = false;
};

FLogView::FLogView(QWidget *owner)
    : QWidget(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint),
      lvwEventsN(new QTreeWidget(this)), lvwEventsV(new QTreeWidget(this)),
      scbListN(new QScrollBar(Qt::Horizontal, this)), scbListV(new QScrollBar(Qt::Horizontal, this)),
      lblPageN(new QLabel(this)), lblPageV(new QLabel(this)),
      logN_(new Log{CDevice::LogNRows, 4096, 231, 627, 0, &CDevice::MostRecentEventN, &CDevice::LogListN, lvwEventsN,
                    scbListN, lblPageN, LastPointerN}),
      logV_(new Log{CDevice::LogVRows, 12288, 241, 632, CDevice::LogNRows, &CDevice::MostRecentEventV,
                    &CDevice::LogListV, lvwEventsV, scbListV, lblPageV, LastPointerV})
{
    setObjectName(QStringLiteral("FLogView"));
    setAttribute(Qt::WA_DeleteOnClose);
    for (const Log *log : {logN_.get(), logV_.get()}) {
        log->list->setColumnCount(3);
        log->list->setRootIsDecorated(false);
        log->list->setUniformRowHeights(true);
        log->list->setSortingEnabled(false);
        log->list->header()->setSectionsClickable(false);
        log->list->installEventFilter(this);
        log->bar->setMinimum(0);
        log->bar->setSingleStep(1);
        log->bar->setPageStep(1);
        // A dragged thumb reads the page it is let go at, not every page it passes.
        log->bar->setTracking(false);
        log->label->setText(Translate(txt::Page));
        log->label->adjustSize();
        // Room for the number and the whole time; the description takes the rest.
        const QFontMetrics metrics = log->list->fontMetrics();
        log->list->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("Event #")) + ColumnPadding);
        log->list->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + ColumnPadding);
    }
    lvwEventsN->setObjectName(QStringLiteral("lvwEventsN"));
    lvwEventsV->setObjectName(QStringLiteral("lvwEventsV"));
    scbListN->setObjectName(QStringLiteral("scbListN"));
    scbListV->setObjectName(QStringLiteral("scbListV"));
    lblPageN->setObjectName(QStringLiteral("lblPageN"));
    lblPageV->setObjectName(QStringLiteral("lblPageV"));
    connect(scbListN, &QScrollBar::valueChanged, this, [this] { RequestPage(*logN_); });
    connect(scbListV, &QScrollBar::valueChanged, this, [this] { RequestPage(*logV_); });
    if (owner)
        setWindowIcon(owner->windowIcon());
    setFixedHeight(pixels(InnerHeight));
    resize(pixels(DesignWidth), height());
    Form_Load();
}

FLogView::~FLogView()
{
    Form_Unload();
}

int FLogView::pixels(int twips) const
{
    return qRound(twips * logicalDpiY() / 1440.0);
}

void FLogView::Form_Load()
{
    PageSize = 16;
    mDevice = &mdlMain::Device();
    connect(mDevice, &CDevice::NewRAMData, this, &FLogView::mDevice_NewRAMData);
    connect(mDevice, &CDevice::LogUpdated, this, &FLogView::mDevice_LogUpdated);
    connect(mDevice, &CDevice::ConnectionStatusChanged, this, &FLogView::mDevice_ConnectionStatusChanged);
    SetCaptions();
    RequestPointer(*logN_);
    RequestPointer(*logV_);
    scbListN->setMaximum(CDevice::LogNRows / PageSize - 1);
    scbListV->setMaximum(CDevice::LogVRows / PageSize - 1);
}

void FLogView::Form_Unload()
{
    if (mDevice)
        disconnect(mDevice, nullptr, this, nullptr);
    mDevice = nullptr;
}

void FLogView::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void FLogView::SetCaptions()
{
    setWindowTitle(Translate(txt::LogViewer));
    for (QTreeWidget *list : {lvwEventsN, lvwEventsV})
        list->setHeaderLabels({Translate(txt::EventNumber), Translate(txt::Time), Translate(txt::Description)});
}

void FLogView::RequestPointer(const Log &log)
{
    // Its reply raises the event that reads the first page; the window need not wait for it.
    mDevice->QueueRead(ReadKind::Other, modbus::ReadHoldingRegisters, log.pointerRegister, 1);
}

void FLogView::mDevice_NewRAMData(int32_t First, int32_t Count)
{
    followPointer(*logN_, First, Count);
    followPointer(*logV_, First, Count);
    // Every status poll comes here: a page wanted behind reads that ended unanswered goes now.
    readWantedPage(*logN_);
    readWantedPage(*logV_);
}

// A newest-record word that has moved since it was last acted upon: the page on screen is read
// again, so its rows move down by the new records.
void FLogView::followPointer(Log &log, int32_t first, int32_t count)
{
    if (!mDevice || first > log.pointerByte || first + count < log.pointerByte + 1)
        return;
    if (mDevice->RAM2(log.pointerByte) != log.lastPointer) {
        RequestPage(log);
        if (mDevice)
            log.lastPointer = mDevice->RAM2(log.pointerByte);
    }
}

void FLogView::RequestPage(Log &log)
{
    if (!mDevice)
        return;
    const int32_t k = log.bar->value();
    log.label->setText(Translate(txt::Page) + QLatin1Char(' ') + QString::number(k + 1) + QLatin1Char(' ') +
                       Translate(txt::Of) + QLatin1Char(' ') + QString::number(log.size / PageSize));
    log.label->adjustSize();
    log.pageWanted = true;
    readWantedPage(log);
}

void FLogView::readWantedPage(Log &log)
{
    if (!mDevice)
        return;
    const MBRequests &pending = mDevice->PendingRequests();
    std::erase_if(log.outstanding, [&pending](const MBRequestPtr &read) { return !pending.Holds(read); });
    if (!log.pageWanted || !log.outstanding.empty())
        return;
    log.pageWanted = false;
    // The page as it stands now: the newest word and the page on screen may have moved since it
    // was first wanted.
    const int32_t newest = mDevice->RAM2(log.pointerByte);
    const int32_t start = wrap(newest - (log.bar->value() + 1) * PageSize, log.size);
    const auto read = [this, &log](int32_t slot, int32_t records) {
        if (MBRequestPtr request = mDevice->QueueRead(ReadKind::Other, modbus::ReadInputRegisters,
                                                      log.firstRegister + slot, records * RegistersPerRecord))
            log.outstanding.push_back(std::move(request));
    };
    if (start + PageSize <= log.size) {
        read(start, PageSize);
    } else {
        // The page crosses the end of the ring: its older part first, then the part from slot 0.
        read(start, log.size - start);
        read(0, start + PageSize - log.size);
    }
}

void FLogView::mDevice_LogUpdated(int32_t First, int32_t Count)
{
    if (!mDevice)
        return;
    Log &log = First < logV_->updateOffset ? *logN_ : *logV_;
    const int32_t slot = First - log.updateOffset;
    const int32_t newest = (mDevice->*log.mostRecent)();
    const int32_t position = wrap(newest - slot, log.size) + 1;
    // An update wholly below the page on screen leaves it as it is.
    if (position - Count <= (log.bar->value() + 1) * PageSize)
        ShowPage(log);
    readWantedPage(log);
}

QByteArray FLogView::recordAt(const Log &log, int32_t position) const
{
    return (mDevice->*log.row)(wrap((mDevice->*log.mostRecent)() - position, log.size));
}

void FLogView::ShowPage(const Log &log)
{
    const int32_t k = log.bar->value();
    const int32_t first = k * PageSize + 1;
    const int32_t last = (k + 1) * PageSize;
    const int currentRow = log.list->currentItem() ? log.list->indexOfTopLevelItem(log.list->currentItem()) : -1;
    log.list->clear();

    // The application that wrote the page's records: the nearest power-off record at or above
    // the page's first row, else the firmware the device runs now.
    AppID = 0;
    for (int32_t p = first; p >= 1; --p) {
        const QByteArray record = recordAt(log, p);
        if (static_cast<uint8_t>(record.at(CodeByte)) == CodePowerOff) {
            AppID = static_cast<uint8_t>(record.at(LoByte));
            break;
        }
    }
    if (AppID == 0)
        AppID = mDevice->FirmwareID();

    for (int32_t p = first; p <= last; ++p)
        AddRow(log, p);
    // The selection stays on the same row of the list, so that paging keys can go on paging.
    if (currentRow >= 0 && log.list->topLevelItemCount() > 0)
        log.list->setCurrentItem(log.list->topLevelItem(std::min(currentRow, log.list->topLevelItemCount() - 1)));
}

void FLogView::AddRow(const Log &log, int32_t Position)
{
    const auto line = mdlEvents::ListRecord(recordAt(log, Position), AppID, QDate::currentDate().year());
    if (!line)
        return;
    auto *item = new QTreeWidgetItem(log.list);
    item->setData(0, Qt::UserRole, QStringLiteral("K") + QString::number(Position));
    item->setText(0, mdlEvents::RowNumberText(Position));
    item->setText(1, line->description == Translate(txt::LogBookStart) ? QString() : line->time);
    item->setText(2, line->description);
}

void FLogView::mDevice_ConnectionStatusChanged()
{
    if (mDevice && mDevice->Connected()) {
        lvwEventsN->clear();
        lvwEventsV->clear();
    }
}

bool FLogView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == lvwEventsN || watched == lvwEventsV)) {
        const Log &log = watched == lvwEventsN ? *logN_ : *logV_;
        if (KeyDown(log, static_cast<QKeyEvent *>(event)->key()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Paging keys at the edges of a page move the scroll bar, which requests the new page.
bool FLogView::KeyDown(const Log &log, int key)
{
    QTreeWidgetItem *current = log.list->currentItem();
    const int index = current ? log.list->indexOfTopLevelItem(current) + 1 : 0;
    QScrollBar *bar = log.bar;
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        if (index != 1)
            return false;
        if (bar->value() > bar->minimum())
            bar->setValue(bar->value() - 1);
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        if (index != PageSize)
            return false;
        if (bar->value() < bar->maximum())
            bar->setValue(bar->value() + 1);
        return true;
    case Qt::Key_Home:
        if (index != 1)
            return false;
        if (bar->value() > bar->minimum())
            bar->setValue(0);
        return true;
    default: return false;
    }
}

void FLogView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// The height is held; the two lists share the width the user gives the window.
void FLogView::Form_Resize()
{
    if (isMinimized())
        return;
    const int half = width() / 2;
    lvwEventsN->setGeometry(0, 0, half, pixels(ListHeight));
    lvwEventsV->setGeometry(half, 0, half, pixels(ListHeight));
    scbListN->setGeometry(pixels(ScrollBarNLeft), pixels(ScrollBarNTop), pixels(ScrollBarWidth),
                          pixels(ScrollBarHeight));
    lblPageN->move(pixels(LabelNLeft), pixels(LabelTop));
    scbListV->setGeometry(half, pixels(ScrollBarVTop), pixels(ScrollBarWidth), pixels(ScrollBarHeight));
    lblPageV->move(half + pixels(ScrollBarWidth + LabelGap), pixels(LabelTop));
}

// A maximised window is set back to normal: the height is the window's own.
void FLogView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized())
        setWindowState(windowState() & ~Qt::WindowMaximized);
}
