#pragma once

class Setting;

// What the shell asks of an application panel without knowing its type.
class IApplication {
public:
    virtual ~IApplication() = default;

    // Apply the parameters of a setting just read from an archive.
    virtual void ApplySetting(Setting &setting) = 0;
    // Fill the setting's Parameters with the panel's current values, one per value.
    virtual void SaveSetting(Setting &setting) = 0;
    virtual void GetFocus() = 0;
    // The shell is about to hide or drop the panel.
    virtual void Closing() = 0;
    // A hidden panel is about to be shown again.
    virtual void Reopening() = 0;
};
