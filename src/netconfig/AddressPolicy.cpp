#include "AddressPolicy.h"

#include "core/mdlStrings.h"
#include "platform/UiService.h"

namespace {

using mdlStrings::Translate;
using NetworkAddress::Unusable;

QString reason(Unusable why, const QString &mask)
{
    switch (why) {
    case Unusable::Unspecified: return Translate(QStringLiteral("it stands for no address."));
    case Unusable::LimitedBroadcast: return Translate(QStringLiteral("it is the broadcast address of every network."));
    case Unusable::Multicast: return Translate(QStringLiteral("it is a multicast address."));
    case Unusable::SubnetNetwork:
        return Translate(QStringLiteral("it is the network address of its subnet (mask %1).")).arg(mask);
    case Unusable::SubnetBroadcast: break;
    }
    return Translate(QStringLiteral("it is the broadcast address of its subnet (mask %1).")).arg(mask);
}

}  // namespace

QString AddressPolicy::Refusal(const NetworkAddress::Octets &address, const NetworkAddress::Subnet &subnet)
{
    const std::optional<Unusable> why = NetworkAddress::WhyUnusable(address, subnet);
    if (!why)
        return {};
    return Translate(QStringLiteral("%1 cannot be a module's address:")).arg(NetworkAddress::DottedText(address)) +
           QLatin1Char(' ') + reason(*why, subnet.mask);
}

QString AddressPolicy::TakenQuestion(const QString &address) const
{
    const QString holder = heldBy_.value(address);
    if (holder.isEmpty())
        return {};
    return Translate(QStringLiteral("%1 is already the address of %2. Two modules on one address cannot both be "
                                    "reached. Do you want to set this IP address?"))
        .arg(address, holder);
}

bool ConfirmAddress(const QString &question)
{
    return platform::ui::msgBox(question, platform::MsgButtons::YesNo, platform::MsgIcon::Exclamation, QString(),
                                platform::MsgDefault::Second) == platform::MsgResult::Yes;
}
