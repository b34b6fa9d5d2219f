#pragma once

// Status bits of the device that the console reads (CDevice::Bit); bits 48 to 55 are the bits of
// register-image byte 38, which every status poll refreshes.
enum StatusBit : int {
    OutputsDisabled = 48,
    AutodiagnosticHealthy = 49,
    AdminLoggedOn = 50,
    Outputs12Disabled = 51,
    AdminPswDisabled = 53,
    SuperUserLoggedOn = 54,
    SuperUserPswDisabled = 55,
};
