#pragma once

#include <QString>
#include <optional>

// How a module's setup record carries its addressing, as the module setup dialog shows it.
namespace LantronixSetup {

// The dynamic methods that stay switched on. In the record's address field a set flag bit
// switches a method off: bit 0 AutoIP, bit 1 DHCP, bit 2 BootP.
struct DynamicMethods {
    bool autoIP = true;
    bool dhcp = true;
    bool bootP = true;
};

// The methods of an address text whose parts 0, 1 and 3 are all 0 (dynamic addressing, the
// flags in part 2); nullopt for a static address.
std::optional<DynamicMethods> DynamicAddressing(const QString &ipAddress);
// The address text of dynamic addressing with these methods on: "0.0." flags ".0".
QString DynamicAddress(const DynamicMethods &methods);

// The subnet mask shown for a number of host bits (0 = the class default of the first octet),
// or "---" for a number beyond 24 or below 0.
QString SubnetMaskText(const QString &subnetBits, const QString &firstOctet);

// A box of the static setup: a whole number, blanks around it allowed.
std::optional<int> WholeNumber(const QString &text);

}  // namespace LantronixSetup
