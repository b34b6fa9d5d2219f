#pragma once

#include "Error.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace platform {

// An ordered collection of shared objects with optional text keys compared without regard to
// case. Positions are 1-based. Errors: duplicate key 457, unknown key 5, bad position 9.
template <typename T> class KeyedCollection {
public:
    using Pointer = std::shared_ptr<T>;

private:
    // Declared before the iterator that names it.
    struct Entry {
        Pointer item;
        QString key;
    };

public:
    void add(Pointer item, const QString &key = QString())
    {
        if (!key.isEmpty()) {
            const QString folded = fold(key);
            if (byKey_.contains(folded))
                throw Error(err::DuplicateKey, QStringLiteral("Collection"),
                            QStringLiteral("This key is already associated with an element of this collection"));
            byKey_.insert(folded, item);
        }
        entries_.push_back({std::move(item), key});
    }

    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }

    bool contains(const QString &key) const { return !key.isEmpty() && byKey_.contains(fold(key)); }

    Pointer item(int position) const { return entries_[checkedIndex(position)].item; }

    Pointer item(const QString &key) const
    {
        const auto it = key.isEmpty() ? byKey_.cend() : byKey_.constFind(fold(key));
        if (it == byKey_.cend())
            throw Error(err::InvalidArgument, QStringLiteral("Collection"),
                        QStringLiteral("Invalid procedure call or argument"));
        return it.value();
    }

    // The key an item was added under (empty when it has none).
    QString keyAt(int position) const { return entries_[checkedIndex(position)].key; }

    void remove(int position)
    {
        const auto index = checkedIndex(position);
        if (!entries_[index].key.isEmpty())
            byKey_.remove(fold(entries_[index].key));
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void remove(const QString &key)
    {
        item(key);  // raises for an unknown key
        const QString folded = fold(key);
        for (int position = 1; position <= count(); ++position) {
            if (!entries_[position - 1].key.isEmpty() && fold(entries_[position - 1].key) == folded) {
                remove(position);
                return;
            }
        }
    }

    void clear()
    {
        entries_.clear();
        byKey_.clear();
    }

    class const_iterator {
    public:
        using Inner = typename std::vector<Entry>::const_iterator;
        explicit const_iterator(Inner inner) : inner_(inner) {}
        const Pointer &operator*() const { return inner_->item; }
        const_iterator &operator++()
        {
            ++inner_;
            return *this;
        }
        bool operator!=(const const_iterator &other) const { return inner_ != other.inner_; }
        bool operator==(const const_iterator &other) const { return inner_ == other.inner_; }

    private:
        Inner inner_;
    };

    const_iterator begin() const { return const_iterator(entries_.cbegin()); }
    const_iterator end() const { return const_iterator(entries_.cend()); }

private:
    static QString fold(const QString &key) { return key.toCaseFolded(); }

    std::size_t checkedIndex(int position) const
    {
        if (position < 1 || position > count())
            throw Error(err::SubscriptOutOfRange, QStringLiteral("Collection"),
                        QStringLiteral("Subscript out of range"));
        return static_cast<std::size_t>(position - 1);
    }

    std::vector<Entry> entries_;
    QHash<QString, Pointer> byKey_;
};

}  // namespace platform
