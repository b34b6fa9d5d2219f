#pragma once

#include "MBRequest.h"
#include "platform/KeyedCollection.h"

#include <QString>
#include <memory>

// The requests waiting for their replies, in the order they were queued.
class MBRequests {
public:
    using Pointer = std::shared_ptr<MBRequest>;

    // An empty key adds the request without one; a key already held raises 457.
    void Add(const Pointer &request, const QString &key);
    Pointer Item(int position) const { return items_.item(position); }
    Pointer Item(const QString &key) const { return items_.item(key); }
    // The request under key, or none.
    Pointer Find(const QString &key) const { return items_.find(key); }
    int Count() const { return items_.count(); }
    void Remove(int position) { items_.remove(position); }
    void Remove(const QString &key) { items_.remove(key); }
    // Removes the request when it is the one held under its key.
    void Remove(const Pointer &request) { items_.remove(request->Key, request); }
    bool Contains(const QString &key) const { return items_.contains(key); }
    // The device's own lookups, run for every reply: a queue holds a few requests, so a scan
    // costs less than making and hashing a text key.
    // The queued request with the transaction id, or none (each id keys its request, so it is
    // unique among those queued).
    Pointer FindTransaction(int32_t transactionId) const;
    // Whether this very request is queued.
    bool Holds(const Pointer &request) const;

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    platform::KeyedCollection<MBRequest> items_;
};
