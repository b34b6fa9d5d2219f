#include "MBRequests.h"

void MBRequests::Add(const Pointer &request, const QString &key)
{
    items_.add(request, key);
    if (!key.isEmpty())
        request->Key = key;
}

MBRequests::Pointer MBRequests::FindTransaction(int32_t transactionId) const
{
    for (const Pointer &request : items_) {
        if (request->TransactionID() == transactionId)
            return request;
    }
    return nullptr;
}

bool MBRequests::Holds(const Pointer &request) const
{
    for (const Pointer &queued : items_) {
        if (queued == request)
            return true;
    }
    return false;
}
