#include "Setting.h"

#include "platform/Error.h"

std::shared_ptr<::Parameters> Setting::Parameters()
{
    if (!parameters_)
        parameters_ = std::make_shared<::Parameters>();
    return parameters_;
}

void Setting::setKey(const QString &key)
{
    if (!key_.isEmpty())
        throw platform::Error(platform::err::InvalidPropertyValue, QStringLiteral("Setting"), QString());
    key_ = key;
}
