#pragma once

#include <functional>

namespace devsim {

class DeviceMemory;

// Carries out a code written to the command register, with its parameters in the block that
// follows it in the register image.
class CommandProcessor {
public:
    static constexpr int CommandRegister = 205;
    static constexpr int ParameterBlock = 215;

    enum Code {
        SetClock = 2,
        EnterBootLoader = 3,
        AdminLogOn = 4,
        AdminLogOff = 5,
        ChangeAdminPassword = 6,
        SuperUserLogOn = 7,
        LogOff = 8,
        ChangeSuperUserPassword = 9,
        StatisticsTableUploaded = 128,
    };

    explicit CommandProcessor(DeviceMemory &memory) : memory_(memory) {}

    void execute(int code);

    // Codes of the running application (such as 128, the RMS table upload) go here.
    std::function<void(int code)> applicationCommand;

private:
    void logOn(int loggedOnBit, int passwordOffBit, bool matches);
    void logOff(int loggedOnBit, int passwordOffBit);

    DeviceMemory &memory_;
};

}  // namespace devsim
