#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

// The modules the network dialog knows: one row per MAC text, with its name, MAC, address and
// state. The name is edited in place; the rows sort by a column as texts. A row whose address does
// not name its module alone is marked, with the reason as the address's tooltip.
class ModuleList : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { ColName, ColSerialNumber, ColIPAddress, ColStatus };
    enum class State { OnLine, OffLine, OtherSubnet };

    explicit ModuleList(QWidget *parent = nullptr);

    // A discovery reply: a new row, or the module's row brought up to date (its name stays).
    void addReply(const QString &mac, const QString &ipAddress, State state);
    // A names-file entry: names the module's row, or adds it off-line without an address.
    void addName(const QString &mac, const QString &name);
    void removeAll();
    QTreeWidgetItem *row(const QString &mac) const;

    // "MAC - name" of a row.
    static QString Caption(const QTreeWidgetItem *row);
    // Why the row's address may reach another module: another module answered from it too, or the
    // module answered from more than one address since the list was emptied. Empty when neither.
    QString Doubt(const QTreeWidgetItem *row) const;
    // The captions of the rows with an address, other than the module's, by their addresses.
    QHash<QString, QString> AddressHolders(const QString &exceptMac) const;
    // The captions of the other rows that an IP assignment to the module would move as well.
    QStringList SharingAssignment(const QString &mac) const;

    // The row the actions work on: the one the user picked, none before they pick one.
    QTreeWidgetItem *selectedRow() const;
    // The MAC of the selected row, empty without one; selects the row of a MAC (none when empty).
    QString selectedMac() const;
    void selectMac(const QString &mac);

    // The header click: the same column again flips the order, another column keeps it.
    void ColumnClick(int column);
    int SortKey() const { return sortKey_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }

    static QString StatusText(State state);
    // The tooltip of a row in another subnet than the card.
    static QString OtherSubnetHint();
    // The state a row was given; its status text alone can be ambiguous (text 346 may be empty).
    static State StateOf(const QTreeWidgetItem *row);

protected:
    // F2 renames the module whichever cell of its row has the focus.
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

signals:
    // The user finished editing a row's name (not sent when the edit was cancelled).
    void AfterLabelEdit(QTreeWidgetItem *row, const QString &newString);
    // A row's state is not what it was: a new row, or a module that answered anew.
    void StateChanged(const QTreeWidgetItem *row);

private:
    class NameEditor;

    QTreeWidgetItem *addRow(const QString &mac);
    void setState(QTreeWidgetItem *row, State state);
    void applySort();
    void markDoubts();

    QHash<QString, QTreeWidgetItem *> rows_;
    // The addresses each module answered from since the list was emptied.
    QHash<QString, QStringList> heardFrom_;
    int sortKey_ = ColName;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool sorted_ = false;
};
