#pragma once

#include "Error.h"

#include <QString>
#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
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
        QString folded;
    };

public:
    void add(Pointer item, const QString &key = QString())
    {
        QString folded = fold(key);
        if (!key.isEmpty() && !byKey_.try_emplace(folded, item).second)
            throw Error(err::DuplicateKey, QStringLiteral("Collection"),
                        QStringLiteral("This key is already associated with an element of this collection"));
        entries_.push_back({std::move(item), key, std::move(folded)});
    }

    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }

    bool contains(const QString &key) const { return lookup(key) != byKey_.cend(); }

    Pointer item(int position) const { return entries_[checkedIndex(position)].item; }

    Pointer item(const QString &key) const
    {
        const auto it = lookup(key);
        if (it == byKey_.cend())
            unknownKey();
        return it->second;
    }

    // The key an item was added under (empty when it has none).
    QString keyAt(int position) const { return entries_[checkedIndex(position)].key; }

    void remove(int position)
    {
        const auto index = checkedIndex(position);
        if (!entries_[index].key.isEmpty())
            byKey_.erase(entries_[index].folded);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void remove(const QString &key)
    {
        const QString folded = fold(key);
        if (key.isEmpty() || byKey_.erase(folded) == 0)
            unknownKey();
        eraseEntry(folded);
    }

    // Removes item when it is the one held under key; returns whether it was.
    bool remove(const QString &key, const Pointer &item)
    {
        const QString folded = fold(key);
        const auto it = key.isEmpty() ? byKey_.end() : byKey_.find(folded);
        if (it == byKey_.end() || it->second != item)
            return false;
        byKey_.erase(it);
        eraseEntry(folded);
        return true;
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
    // Keys are short: a plain byte hash of the folded text costs less than Qt's seeded one.
    struct FoldedHash {
        std::size_t operator()(const QString &folded) const
        {
            return std::hash<std::u16string_view>{}(std::u16string_view(
                reinterpret_cast<const char16_t *>(folded.constData()), static_cast<std::size_t>(folded.size())));
        }
    };
    using Index = std::unordered_map<QString, Pointer, FoldedHash>;

    static QString fold(const QString &key) { return key.toCaseFolded(); }

    typename Index::const_iterator lookup(const QString &key) const
    {
        return key.isEmpty() ? byKey_.cend() : byKey_.find(fold(key));
    }

    void eraseEntry(const QString &folded)
    {
        const auto keyed = [&folded](const Entry &entry) { return !entry.key.isEmpty() && entry.folded == folded; };
        entries_.erase(std::find_if(entries_.begin(), entries_.end(), keyed));
    }

    [[noreturn]] static void unknownKey()
    {
        throw Error(err::InvalidArgument, QStringLiteral("Collection"),
                    QStringLiteral("Invalid procedure call or argument"));
    }

    std::size_t checkedIndex(int position) const
    {
        if (position < 1 || position > count())
            throw Error(err::SubscriptOutOfRange, QStringLiteral("Collection"),
                        QStringLiteral("Subscript out of range"));
        return static_cast<std::size_t>(position - 1);
    }

    std::vector<Entry> entries_;
    Index byKey_;
};

}  // namespace platform
