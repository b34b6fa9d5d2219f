#include "GoldenEvents.h"

namespace {

constexpr int32_t Any = GoldenEvent::AnyApplication;

}  // namespace

const std::vector<GoldenEvent> &goldenEvents()
{
    static const std::vector<GoldenEvent> table = {
        // General codes.
        {Any, 0xFF, 0x01, 0x02, u"Invalid entry", {}},
        {Any, 0xF0, 24, 0xCF, u"Device power on - Kinetic Vibration Relay Ver. 17.15", 0},
        {Any, 0xF0, 6, 0x21, u"Device power on - Shock Recorder S1 Ver. 7.1", 0},
        {Any, 0xF0, 14, 0x10, u"Device power on - Output Board Test Ver. 6.0", 0},
        {Any, 0xF0, 36, 0x31, u"Device power on - Kinetic Vibration Relay XT Ver. 8.1", 0},
        {Any, 0xF0, 40, 0x40, u"Device power on - Lathe Chuck Guard Ver. 9.0", 0},
        {Any, 0xF0, 42, 0x42, u"Device power on - Milling Head Protector Ver. 9.2", 0},
        {Any, 0xF0, 79, 0x79, u"Device power on - Noise Floor Analyzer Ver. 12.9", 0},
        {Any, 0xF0, 8, 0x08, u"Device power on - Spindle Guard Basic Ver. 5.8", 0},
        {Any, 0xF1, 24, 0xCF, u"Device power off - Kinetic Vibration Relay Ver. 17.15", 24},
        {Any, 0xF1, 6, 0x21, u"Device power off - Shock Recorder S1 Ver. 7.1", 6},
        {Any, 0xF1, 14, 0x10, u"Device power off - Output Board Test Ver. 6.0", 14},
        {Any, 0xF1, 36, 0x31, u"Device power off - Kinetic Vibration Relay XT Ver. 8.1", 36},
        {Any, 0xF1, 40, 0x40, u"Device power off - Lathe Chuck Guard Ver. 9.0", 40},
        {Any, 0xF1, 42, 0x42, u"Device power off - Milling Head Protector Ver. 9.2", 42},
        {Any, 0xF1, 79, 0x79, u"Device power off - Noise Floor Analyzer Ver. 12.9", 79},
        {Any, 0xF1, 8, 0x08, u"Device power off - Spindle Guard Basic Ver. 5.8", 8},
        {Any, 0xF1, 0, 0, u"Device power off -  Ver. 4.X", 0},
        {Any, 0xF1, 255, 0, u"LogBook Start", 255},
        {Any, 0xF5, 15, 0, u"Clock set: current year is 2015", {}},
        {Any, 0xF5, 0x17, 0, u"Clock set: current year is 2023", {}},
        {Any, 0xF5, 0x18, 0, u"Clock set: current year is 2024", {}},
        {Any, 0xE0, 0x00, 0x00, u"Configuration saved", {}},
        {Any, 0xE0, 0x01, 0x00, u"Configuration saved:", {}},
        {Any, 0xE0, 0xFF, 0xFF, u"Configuration saved:- Default Configuration Loaded", {}},
        {Any, 0xF4, 0x0A, 0x00, u"Autodiagnostic Error (Code 0A)", {}},

        // Application ids without a table.
        {0, 0x0A, 0x00, 0x90, u"Event not Described", {}},
        {0, 0x26, 0x00, 0x10, u"Event not Described", {}},
        {8, 0x05, 0x01, 0x00, u"Event not Described", {}},
        {255, 0x0A, 0x00, 0x90, u"Event not Described", {}},
        {80, 0x01, 0x00, 0x00, u"Event not Described", {}},
        {5, 0x01, 0x00, 0x00, u"Event not Described", {}},

        // Axis alarms.
        {6, 0x01, 0x00, 0x00, u"Alarm - Signal: ", {}},
        {6, 0x02, 0x00, 0x00, u"Alarm -  Limit 1 - Signal: ", {}},
        {6, 0x20, 0x01, 0x00, u"Alarm - Signal: Module - Value: 1.92 m/s²", {}},
        {6, 0x08, 0x00, 0xA0, u"Alarm - Signal: X Axis - Value: 61.31 m/s²", {}},
        {6, 0x14, 0x00, 0x60, u"Alarm -  Limit 2 - Signal: Y Axis - Value: -61.31 m/s²", {}},
        {6, 0x1E, 0x00, 0x80, u"Alarm -  Limit 3 - Signal: Z Axis - Value: 0 m/s²", {}},
        {6, 0x40, 0x00, 0x00, u"", {}},
        {46, 0x40, 0x00, 0x00, u"User reset alarm", {}},
        {20, 0x26, 0x00, 0x00, u"Alarm -  Limit 3 - Signal: Module", {}},
        {7, 0x04, 100, 0x00, u"Alarm -  Balancing Limit 2 - Value: 4.13 mm/s", {}},
        {7, 0x01, 0x00, 0x00, u"Alarm", {}},
        {10, 0x02, 16, 0x00, u"Alarm -  Limit 1 - Value: 30.66 m/s²", {}},
        {13, 0x01, 0x01, 0x00, u"Alarm - Value: 5.42 m/s²", {}},
        {15, 0x06, 100, 0x00, u"Alarm -  Limit 3 - Value: 19.16 m/s²", {}},
        {37, 0x00, 0x04, 0x00, u"Alarm - Value: 3.83 m/s²", {}},

        // Multi-channel alarms: odd codes name the channel by Signal, even ones by Lo.
        {14, 0x19, 0x01, 0x00, u"Alarm - Signal: Temperature - Value: ", {}},
        {14, 0x09, 0x00, 0x08, u"Alarm - Signal: Y Acceleration - Value: 0 m/s²", {}},
        {14, 0x01, 0xF6, 0x11, u"Alarm - Signal: X Acceleration - Value: 305.36 m/s²", {}},
        {14, 0x02, 0x03, 0x00, u"Alarm -  Limit 1 - Signal: Temperature", {}},
        {14, 0x39, 0x00, 0x10, u"Alarm - Signal: External - Value: 5000 mV", {}},
        {14, 0x00, 200, 0x00, u"Alarm - Signal: ", {}},
        {23, 0x01, 0x40, 0x9C, u"Alarm - Signal: X Acceleration - Value: 54.13 m/s²", {}},

        // Frequency, gravity and tilt.
        {18, 0x00, 0x00, 0x00, u"Alarm - Value: ", {}},
        {18, 0x02, 96, 0x00, u"Alarm -  Limit 1 - Value: 100 Hz", {}},
        {19, 0x06, 0x01, 0x00, u"Alarm -  Limit 3 - Signal: Module - Value: 1.92 m/s²", {}},
        {19, 0x02, 0x04, 0x00, u"Alarm -  Limit 1 - Signal: Gravity - Value: 0.24 m/s²", {}},
        {19, 0x08, 0x00, 0x00, u"Alarm", {}},
        {21, 0x02, 0x00, 0x00, u"Alarm -  Limit 1 - Value: 0.0 deg.", {}},
        {21, 0x04, 0xFF, 0xFF, u"Alarm -  Limit 2 - Value: 22.5 deg.", {}},
        {21, 0x40, 0x00, 0x00, u"Zero Setup", {}},

        // The collision and vibration relay.
        {24, 0x0A, 0x00, 0x90, u"Alarm -  Limit 1 - Signal: X Axis - Value: 40.9 m/s²", {}},
        {24, 0x12, 0x00, 0x70, u"Alarm -  Limit 1 - Signal: Y Axis - Value: -40.9 m/s²", {}},
        {24, 0x1C, 0x34, 0x82, u"Alarm -  Limit 2 - Signal: Z Axis - Value: 5.6 m/s²", {}},
        {24, 0x26, 0x00, 0x10, u"Alarm -  Limit 3 - Signal: Module - Value: 163.5 m/s²", {}},
        {24, 0x34, 0x90, 0x01, u"Alarm -  Limit 2 - Signal: RMS - Value: 2.7 mm/s", {}},
        {24, 0x2A, 0x05, 0x00, u"Alarm -  Limit 1 - Signal: ", {}},
        {24, 0x3E, 0x01, 0x00, u"Alarm -  Limit 3 - Signal: ", {}},
        {24, 0x08, 0x00, 0x00, u"Alarm - Signal: X Axis", {}},
        {24, 0x40, 0x00, 0x00, u"RMS Table Reset", {}},
        {24, 0x41, 0x00, 0x00, u"", {}},
        {24, 0x80, 0x01, 0x01, u"Statistic table set to: Input driven", {}},
        {24, 0x80, 0x00, 0x01, u"Statistic table set to: Always enabled", {}},
        {24, 0x80, 0x02, 0x02, u"Monostable mode active on output 1", {}},
        {24, 0x80, 0x04, 0x04, u"Monostable mode active on output 2", {}},
        {24, 0x80, 0x00, 0x08, u"Monostable mode not active on output 3", {}},
        {24, 0x80, 0x00, 0x03, u"", {}},
        {24, 0x81, 0x01, 0x00, u"Limit 1 enabled on X Axis", {}},
        {24, 0x81, 0x08, 0x00, u"Limit 1 enabled on Module", {}},
        {24, 0x82, 0x10, 0x00, u"Limit 2 enabled on RMS", {}},
        {24, 0x82, 0x03, 0x00, u"Limit 2", {}},
        {24, 0x83, 0x00, 0x00, u"Limit 3 Disabled", {}},
        {24, 0x83, 0x02, 0x00, u"Limit 3 enabled on Y Axis", {}},
        {24, 0x83, 0x04, 0x00, u"Limit 3 enabled on Z Axis", {}},
        {24, 0x84, 0x00, 0x10, u"Limit 1 modified: 163.5 m/s²", {}},
        {24, 0x84, 0xFF, 0x3F, u"Limit 1 modified: 327.0 m/s²", {}},
        {24, 0x84, 0x00, 0x40, u"Limit 1 modified: -163.5 m/s²", {}},
        {24, 0x84, 0xFF, 0xBF, u"Limit 1 modified: 163.5 m/s²", {}},
        {24, 0x84, 0x00, 0xC0, u"Limit 1 modified: 0.0 mm/s", {}},
        {24, 0x86, 0x0A, 0xC0, u"Limit 2 modified: 0.9 mm/s", {}},
        {24, 0x88, 0x00, 0x90, u"Limit 3 modified: 40.9 m/s²", {}},
        {24, 0x85, 0x01, 0x00, u"", {}},
        {24, 0x8A, 0x80, 0x00, u"Low pass filter set to 159 Hz", {}},
        {24, 0x8B, 0xC8, 0x00, u"High pass filter set to 568 Hz", {}},
        {24, 0x8C, 0x40, 0x00, u"Monoaxial low pass filter set to 53 Hz", {}},
        {24, 0xA0, 0x0A, 0x00, u"Output time delay set to 2.5 sec", {}},
        {24, 0xA1, 0x01, 0x00, u"Output disabled", {}},
        {24, 0xA1, 0x00, 0x00, u"Output enabled", {}},
        {24, 0xA2, 0x00, 0x00, u"RMS Table data modified", {}},
        {24, 0xA3, 0x00, 0x08, u"MA Input On", {}},
        {24, 0xA3, 0x00, 0x00, u"MA Input Off", {}},
        {24, 0xC8, 0x00, 0x00, u"", {}},

        // Limits named by side, vibration and collision limits.
        {27, 0x08, 0x00, 0x00, u"Alarm - Signal: X Axis", {}},
        {27, 0x12, 0x00, 0x08, u"Alarm -  Limit 1 - Signal: Y Axis - Value: 0 m/s²", {}},
        {27, 0x20, 0x00, 0x00, u"Alarm - Signal: ", {}},
        {28, 0x02, 0x01, 0x00, u"Alarm -  Limit 1 - Value: 1.92 m/s²", {}},
        {28, 0x04, 200, 0x00, u"Alarm -  Limit 2 - Value: ", {}},
        {28, 0x04, 0x00, 0x01, u"Alarm -  Limit 2 - Value: 0.12 m/s²", {}},
        {28, 0x01, 0x00, 0x00, u"Alarm -  Limit 0 - Value: ", {}},
        {35, 0x02, 0x00, 0x00, u"Alarm -  Lower Limit Alarm ON", {}},
        {35, 0x05, 0x00, 0x00, u"Alarm -  Higher Limit Alarm OFF", {}},
        {35, 0x06, 0x00, 0x00, u"Alarm -   Limit Alarm ON", {}},
        {36, 0x02, 50, 0x01, u"Alarm -  Vibration Limit 1 - Value: 2.5 mm/s", {}},
        {36, 0x04, 0x00, 0x01, u"Alarm -  Vibration Limit 2", {}},
        {36, 0x06, 0x01, 0x00, u"Alarm -  Collision Limit - Value: 1.9 m/s²", {}},
        {36, 0x06, 0x00, 0x00, u"Alarm -  Collision Limit", {}},
        {36, 0x08, 0x00, 0x00, u"Alarm", {}},
        {36, 0x40, 0x00, 0x00, u"RMS Table Reset", {}},
        {50, 0x02, 50, 0x01, u"Alarm -  Vibration Limit 1 - Value: 2.5 mm/s", {}},
        {50, 0x40, 0x00, 0x00, u"", {}},
        {56, 0x02, 50, 0x00, u"Alarm -  Vibration Limit 1 - Value: 40 mm/s", {}},
        {56, 0x40, 0x00, 0x00, u"", {}},
        {43, 0x02, 100, 0x00, u"Alarm -  Balancing Limit 1 - Value: 1.03 mm/s", {}},
        {43, 0x06, 0x01, 0x00, u"Alarm -  Collision Limit - Value: 1.92 m/s²", {}},
        {43, 0x08, 0x05, 0x00, u"Alarm - Value: ", {}},
        {43, 0x04, 0x00, 0x00, u"Alarm -  Balancing Limit 2", {}},
        {51, 0x08, 0x00, 0x00, u"Alarm -  Vibration Limit 0", {}},
        {51, 0x02, 0xB5, 0x44, u"Alarm -  Vibration Limit 1 - Value: 35.1 micron", {}},
        {53, 0x04, 0x30, 0x75, u"Alarm -  Vibration Limit 2 - Value: 23.95 micron", {}},
        {55, 0x02, 0xFF, 0xFF, u"Alarm -  Bearing - Value: 61.3 m/s²", {}},
        {55, 0x06, 0x00, 0x00, u"Alarm -  Overload Alarm - Value: 0.0 m/s²", {}},
        {55, 0x08, 0x00, 0x00, u"Alarm - Value: 0.0 m/s²", {}},
        {78, 0x02, 0x04, 0x00, u"Alarm -  Vibration Limit 1 - Value: 3.8 m/s²", {}},
        {78, 0x06, 100, 0x00, u"Alarm -  Collision Limit - Value: 4.8 m/s²", {}},
        {78, 0x04, 0x00, 0x00, u"Alarm -  Vibration Limit 2", {}},
        {79, 0x02, 0xBC, 0x02, u"Alarm -  Vibration Limit 1", {}},
        {79, 0x02, 0xFD, 0x02, u"Alarm -  Vibration Limit 1 - Value: 0.0 mm/s", {}},
        {79, 0x04, 0x16, 0x03, u"Alarm -  Vibration Limit 2 - Value: 1.0 mm/s", {}},

        // The 24-bit applications: the code is the reading's top byte.
        {40, 0x64, 0x00, 0x00, u"Value (m/s²): 38.32", {}},
        {40, 0x00, 0x00, 0x01, u"Value (m/s²): 0.01", {}},
        {40, 0xD7, 0x01, 0x00, u"Collision event. Value (m/s²): 1.92", {}},
        {40, 0xD7, 28, 0x00, u"Collision event. Value (m/s²): 10.14", {}},
        {40, 0xD2, 0x00, 0x02, u"Limit 2 Freq. (Hz) 256", {}},
        {40, 0xE6, 0x00, 0x00, u"", {}},
        {42, 0x01, 0x02, 0x03, u"Value (m/s²): 17.84", {}},
        {42, 0x64, 0x00, 0x00, u"Value (m/s²): 1000", {}},
        {42, 0xD1, 0x00, 0x01, u"Limit 1 Freq. (Hz) 96", {}},
        {42, 0xD3, 0x2C, 0x01, u"Limit 3 Freq. (Hz) 112.5", {}},
        {42, 0xE1, 0x00, 0x00, u"", {}},
    };
    return table;
}

const GoldenEvent *findGoldenEvent(int32_t app, uint8_t code, uint8_t lo, uint8_t hi)
{
    for (const GoldenEvent &event : goldenEvents()) {
        if ((event.app == app || event.app == GoldenEvent::AnyApplication) && event.code == code && event.lo == lo &&
            event.hi == hi)
            return &event;
    }
    return nullptr;
}
