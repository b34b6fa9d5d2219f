#pragma once

#include <QHash>
#include <QString>
#include <QTreeWidget>

// The modules the network dialog knows: one row per MAC text, with its name, MAC, address and
// state. The name is edited in place; the rows sort by a column as texts.
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

    QHash<QString, QTreeWidgetItem *> rows_;
    int sortKey_ = ColName;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool sorted_ = false;
};
