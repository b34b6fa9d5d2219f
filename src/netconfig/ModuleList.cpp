#include "ModuleList.h"

#include "DeviceServerProtocol.h"
#include "ModuleCaption.h"
#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "platform/Color.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr uint32_t Green = 0x00FF00;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Blue = 0xFF0000;
constexpr int StateRole = Qt::UserRole;

uint32_t colourOf(ModuleList::State state)
{
    switch (state) {
    case ModuleList::State::OnLine: return Green;
    case ModuleList::State::OffLine: return Blue;
    case ModuleList::State::OtherSubnet: break;
    }
    return Red;
}

// A lamp in the state's colour, so a state whose text is empty still shows.
QIcon lamp(const QColor &colour)
{
    QPixmap picture(12, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(colour.darker(150));
    painter.drawEllipse(QRectF(1, 1, 10, 10));
    return QIcon(picture);
}

}  // namespace

// Edits the name column only and reports the new name before the row shows it.
class ModuleList::NameEditor : public QStyledItemDelegate {
public:
    explicit NameEditor(ModuleList *list) : QStyledItemDelegate(list), list_(list) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return index.column() == ColName ? QStyledItemDelegate::createEditor(parent, option, index) : nullptr;
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            emit list_->AfterLabelEdit(list_->itemFromIndex(index), edit->text());
        QStyledItemDelegate::setModelData(editor, model, index);
        // A long name shows whole in its tooltip.
        model->setData(index, index.data(), Qt::ToolTipRole);
    }

private:
    ModuleList *list_;
};

ModuleList::ModuleList(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(4);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setItemDelegate(new NameEditor(this));
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &ModuleList::ColumnClick);
}

QString ModuleList::StatusText(State state)
{
    switch (state) {
    case State::OnLine: return mdlStrings::Translate(txt::OnLine);
    case State::OffLine: return mdlStrings::Translate(txt::OffLine);
    case State::OtherSubnet: break;
    }
    return mdlStrings::Translate(txt::OtherSubnet);
}

ModuleList::State ModuleList::StateOf(const QTreeWidgetItem *row)
{
    return static_cast<State>(row->data(ColStatus, StateRole).toInt());
}

QTreeWidgetItem *ModuleList::row(const QString &mac) const
{
    return rows_.value(mac);
}

QTreeWidgetItem *ModuleList::addRow(const QString &mac)
{
    auto *item = new QTreeWidgetItem(this);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setText(ColSerialNumber, mac);
    rows_.insert(mac, item);
    return item;
}

void ModuleList::setState(QTreeWidgetItem *item, State state)
{
    const QVariant before = item->data(ColStatus, StateRole);
    const QColor colour = platform::toQColor(colourOf(state));
    item->setText(ColStatus, StatusText(state));
    item->setData(ColStatus, StateRole, static_cast<int>(state));
    item->setForeground(ColStatus, colour);
    item->setIcon(ColStatus, lamp(colour));
    // The state's text may be empty: the lamp says why the module cannot be configured or connected.
    item->setToolTip(ColStatus, state == State::OtherSubnet ? OtherSubnetHint() : QString());
    if (before != QVariant(static_cast<int>(state)))
        emit StateChanged(item);
}

QString ModuleList::OtherSubnetHint()
{
    return mdlStrings::Translate(
        QStringLiteral("The module is in another subnet than the network card. Give it an address of the "
                       "card's subnet with Assign IP to configure it or connect to it."));
}

void ModuleList::addReply(const QString &mac, const QString &ipAddress, State state)
{
    QTreeWidgetItem *item = row(mac);
    if (!item)
        item = addRow(mac);
    QStringList &heard = heardFrom_[mac];
    if (!heard.contains(ipAddress))
        heard.append(ipAddress);
    item->setText(ColIPAddress, ipAddress);
    setState(item, state);
    markDoubts();
    applySort();
}

QString ModuleList::Caption(const QTreeWidgetItem *row)
{
    return ModuleCaption(row->text(ColSerialNumber), row->text(ColName));
}

QString ModuleList::Doubt(const QTreeWidgetItem *row) const
{
    const QString mac = row->text(ColSerialNumber);
    const QStringList heard = heardFrom_.value(mac);
    if (heard.size() > 1)
        return mdlStrings::Translate(QStringLiteral("%1 answered from more than one address: %2."))
            .arg(mac, heard.join(QStringLiteral(", ")));
    const QString address = row->text(ColIPAddress);
    QStringList others;
    for (const QTreeWidgetItem *other : rows_) {
        if (other != row && !address.isEmpty() && other->text(ColIPAddress) == address)
            others << other->text(ColSerialNumber);
    }
    if (others.isEmpty())
        return {};
    others.sort();
    return mdlStrings::Translate(QStringLiteral("%1 answered from %2 as well."))
        .arg(others.join(QStringLiteral(", ")), address);
}

void ModuleList::markDoubts()
{
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (QTreeWidgetItem *item : std::as_const(rows_)) {
        const QString doubt = Doubt(item);
        item->setIcon(ColIPAddress, doubt.isEmpty() ? QIcon() : warning);
        item->setToolTip(ColIPAddress, doubt);
    }
}

QHash<QString, QString> ModuleList::AddressHolders(const QString &exceptMac) const
{
    QHash<QString, QString> holders;
    for (const QTreeWidgetItem *item : rows_) {
        const QString address = item->text(ColIPAddress);
        if (!address.isEmpty() && item->text(ColSerialNumber) != exceptMac && !holders.contains(address))
            holders.insert(address, Caption(item));
    }
    return holders;
}

QStringList ModuleList::SharingAssignment(const QString &mac) const
{
    QStringList captions;
    for (const QTreeWidgetItem *item : rows_) {
        const QString other = item->text(ColSerialNumber);
        if (other != mac && DeviceServerProtocol::SameAssignmentTarget(mac, other))
            captions << Caption(item);
    }
    captions.sort();
    return captions;
}

void ModuleList::addName(const QString &mac, const QString &name)
{
    QTreeWidgetItem *item = row(mac);
    if (!item) {
        item = addRow(mac);
        setState(item, State::OffLine);
    }
    item->setText(ColName, name);
    item->setToolTip(ColName, name);
    applySort();
}

void ModuleList::removeAll()
{
    rows_.clear();
    heardFrom_.clear();
    clear();
}

QTreeWidgetItem *ModuleList::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

QString ModuleList::selectedMac() const
{
    const QTreeWidgetItem *selected = selectedRow();
    return selected ? selected->text(ColSerialNumber) : QString();
}

void ModuleList::selectMac(const QString &mac)
{
    if (QTreeWidgetItem *item = row(mac))
        setCurrentItem(item);
    else
        clearSelection();
}

bool ModuleList::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    return QTreeWidget::edit(trigger == EditKeyPressed ? index.siblingAtColumn(ColName) : index, trigger, event);
}

void ModuleList::ColumnClick(int column)
{
    if (sortKey_ == column)
        sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    else
        sortKey_ = column;
    sorted_ = true;
    applySort();
}

void ModuleList::applySort()
{
    if (sorted_)
        sortItems(sortKey_, sortOrder_);
}
