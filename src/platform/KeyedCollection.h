#pragma once

#include "Error.h"

#include <QString>
#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

// An ordered collection of shared objects with optional text keys compared without regard to
// case. Positions are 1-based. Errors: duplicate key 457, unknown key 5, bad position 9.
template <typename T> class KeyedCollection {
public:
    using Pointer = std::shared_ptr<T>;

private:
    // A key as it is compared. Keys are mostly short and plain ASCII, such as generated ones:
    // those are folded here without the case tables, and held without a heap block.
    using Folded = std::u16string;

    // Declared before the iterator that names it.
    struct Entry {
        Pointer item;
        QString key;
        Folded folded;
    };

public:
    void add(Pointer item, const QString &key = QString())
    {
        Folded folded = fold(key);
        if (!key.isEmpty()) {
            const bool taken =
                byKey_.empty() ? keyedEntry(folded) != entries_.end() : !byKey_.try_emplace(folded, item).second;
            if (taken)
                throw Error(err::DuplicateKey, QStringLiteral("Collection"),
                            QStringLiteral("This key is already associated with an element of this collection"));
        }
        entries_.push_back({std::move(item), key, std::move(folded)});
        if (!key.isEmpty() && byKey_.empty() && entries_.size() > ScanLimit)
            buildIndex();
    }

    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }

    bool contains(const QString &key) const { return lookup(key) != nullptr; }

    Pointer item(int position) const { return entries_[checkedIndex(position)].item; }

    Pointer item(const QString &key) const
    {
        const Pointer *found = lookup(key);
        if (!found)
            unknownKey();
        return *found;
    }

    // The item under key; none when no item has it.
    Pointer find(const QString &key) const
    {
        const Pointer *found = lookup(key);
        return found ? *found : nullptr;
    }

    // The key an item was added under (empty when it has none).
    QString keyAt(int position) const { return entries_[checkedIndex(position)].key; }

    void remove(int position)
    {
        const auto index = checkedIndex(position);
        if (!entries_[index].key.isEmpty() && !byKey_.empty())
            byKey_.erase(entries_[index].folded);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void remove(const QString &key)
    {
        const auto entry = key.isEmpty() ? entries_.end() : keyedEntry(fold(key));
        if (entry == entries_.end())
            unknownKey();
        eraseKeyed(entry);
    }

    // Removes item when it is the one held under key; returns whether it was. Found by the item,
    // so the key is folded only when it was not given as it was added.
    bool remove(const QString &key, const Pointer &item)
    {
        if (key.isEmpty())
            return false;
        const auto heldUnderKey = [&key, &item](const Entry &entry) {
            return entry.item == item && !entry.key.isEmpty() && (entry.key == key || entry.folded == fold(key));
        };
        const auto entry = std::find_if(entries_.cbegin(), entries_.cend(), heldUnderKey);
        if (entry == entries_.cend())
            return false;
        eraseKeyed(entry);
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
    using Index = std::unordered_map<Folded, Pointer>;
    // Keys of collections this small are found by a scan of the entries, which costs less than
    // hashing; past it an index is built and kept while it holds keys.
    static constexpr std::size_t ScanLimit = 8;

    static Folded fold(const QString &key)
    {
        Folded folded(static_cast<std::size_t>(key.size()), u'\0');
        for (qsizetype i = 0; i < key.size(); ++i) {
            const char16_t c = key[i].unicode();
            if (c >= 0x80) {
                const QString full = key.toCaseFolded();
                return Folded(reinterpret_cast<const char16_t *>(full.constData()),
                              static_cast<std::size_t>(full.size()));
            }
            folded[static_cast<std::size_t>(i)] = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
        }
        return folded;
    }

    const Pointer *lookup(const QString &key) const
    {
        if (key.isEmpty())
            return nullptr;
        const Folded folded = fold(key);
        if (byKey_.empty()) {
            const auto entry = keyedEntry(folded);
            return entry == entries_.end() ? nullptr : &entry->item;
        }
        const auto it = byKey_.find(folded);
        return it == byKey_.end() ? nullptr : &it->second;
    }

    typename std::vector<Entry>::const_iterator keyedEntry(const Folded &folded) const
    {
        const auto keyed = [&folded](const Entry &entry) { return !entry.key.isEmpty() && entry.folded == folded; };
        return std::find_if(entries_.begin(), entries_.end(), keyed);
    }

    void eraseKeyed(typename std::vector<Entry>::const_iterator entry)
    {
        if (!byKey_.empty())
            byKey_.erase(entry->folded);
        entries_.erase(entry);
    }

    void buildIndex()
    {
        for (const Entry &entry : entries_) {
            if (!entry.key.isEmpty())
                byKey_.emplace(entry.folded, entry.item);
        }
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
