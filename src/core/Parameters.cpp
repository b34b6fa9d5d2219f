#include "Parameters.h"

std::shared_ptr<Parameter> Parameters::Add(const QString &tag, const QString &value)
{
    if (tag.isEmpty())
        throw platform::Error(platform::err::InvalidArgument, QStringLiteral("Parameters.Add"),
                              QStringLiteral("Invalid procedure call or argument"));
    auto parameter = std::make_shared<Parameter>();
    parameter->setTag(tag);
    parameter->setValue(value);
    items_.add(parameter, tag);
    return parameter;
}
