#pragma once

// What the statistics window asks of the panel that owns it.
class IStatsOwner {
public:
    virtual ~IStatsOwner() = default;
    // Writes the device's RMS input enable from the window's list.
    virtual void SetInputEnable() = 0;
    // Uploads the window's table to the device.
    virtual void SetTable() = 0;
    // True while the panel copies device values into the window's boxes: such changes are no edits.
    virtual bool RedrawSuppressed() const = 0;
};
