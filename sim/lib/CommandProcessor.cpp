#include "CommandProcessor.h"

#include "DeviceMemory.h"

namespace devsim {

void CommandProcessor::execute(int code)
{
    DeviceMemory::PasswordBlock parameters;
    for (int i = 0; i < DeviceMemory::PasswordSize; ++i)
        parameters[i] = memory_.byte(ParameterBlock + i);
    const bool admin = memory_.statusBit(DeviceMemory::AdminLoggedOn);
    const bool superUser = memory_.statusBit(DeviceMemory::SuperUserLoggedOn);

    switch (code) {
    case SetClock: {
        DeviceClock::Fields fields;
        for (int i = 0; i < DeviceClock::ImageBytes; ++i)
            fields[i] = parameters[i];
        memory_.clock.setFromFields(fields);
        break;
    }
    case AdminLogOn:
        logOn(DeviceMemory::AdminLoggedOn, DeviceMemory::AdminPasswordOff, parameters == memory_.adminPassword);
        break;
    case AdminLogOff: logOff(DeviceMemory::AdminLoggedOn, DeviceMemory::AdminPasswordOff); break;
    case ChangeAdminPassword:
        // Only a logged-on administrator may change it, so a stranger cannot lock the device.
        if (admin)
            memory_.setAdminPassword(parameters);
        break;
    case SuperUserLogOn:
        logOn(DeviceMemory::SuperUserLoggedOn, DeviceMemory::SuperUserPasswordOff,
              parameters == memory_.superUserPassword);
        break;
    case LogOff:
        logOff(DeviceMemory::AdminLoggedOn, DeviceMemory::AdminPasswordOff);
        logOff(DeviceMemory::SuperUserLoggedOn, DeviceMemory::SuperUserPasswordOff);
        break;
    case ChangeSuperUserPassword:
        if (admin || superUser)
            memory_.setSuperUserPassword(parameters);
        break;
    default:
        // The boot loader is started by the caller once the reply is out.
        if (applicationCommand)
            applicationCommand(code);
        break;
    }
}

void CommandProcessor::logOn(int loggedOnBit, int passwordOffBit, bool matches)
{
    if (matches || memory_.statusBit(passwordOffBit))
        memory_.setStatusBit(loggedOnBit, true);
}

void CommandProcessor::logOff(int loggedOnBit, int passwordOffBit)
{
    // A role without password stays logged on: nobody could log on again.
    if (!memory_.statusBit(passwordOffBit))
        memory_.setStatusBit(loggedOnBit, false);
}

}  // namespace devsim
