#pragma once

#include <cstdint>
#include <functional>

class QWidget;

// The modal firmware download window is reached through this hook, so that the main window does
// not depend on the loader protocols. The runner shows the window owned by `owner`, downloads the
// image of mdlMain::CurrentSoftware and returns the outcome.
namespace FirmwareDownloadHook {

using Runner = std::function<bool(QWidget *owner)>;

void setRunner(Runner runner);
bool isInstalled();
bool run(QWidget *owner);

// Checks the carried image of a software id before the device is sent into its boot loader, which
// erases it: false (after telling the user why) when the image is missing or damaged.
using ImageCheck = std::function<bool(int32_t softwareId)>;

void setImageCheck(ImageCheck check);
bool imageReady(int32_t softwareId);

}  // namespace FirmwareDownloadHook
