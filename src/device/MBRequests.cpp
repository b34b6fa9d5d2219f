#include "MBRequests.h"

void MBRequests::Add(const Pointer &request, const QString &key)
{
    items_.add(request, key);
    if (!key.isEmpty())
        request->Key = key;
}
