#include "Settings.h"

std::shared_ptr<Setting> Settings::Add(QString &key)
{
    if (key.isEmpty()) {
        int n = 1;
        while (items_.contains(QStringLiteral("S") + QString::number(n)))
            ++n;
        key = QStringLiteral("S") + QString::number(n);
    }
    auto setting = std::make_shared<Setting>();
    setting->setKey(key);
    setting->setParameters(std::make_shared<Parameters>());
    items_.add(setting, key);
    return setting;
}
