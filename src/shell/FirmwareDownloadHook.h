#pragma once

#include <functional>

class QWidget;

// The modal firmware download window is reached through this hook, so that the main window does
// not depend on the loader protocols. The runner shows the window owned by `owner`, downloads the
// image of mdlMain::CurrentSoftware and returns the outcome.
namespace FirmwareDownloadHook
{

using Runner = std::function<bool(QWidget *owner)>;

void setRunner(Runner runner);
bool isInstalled();
bool run(QWidget *owner);

} // namespace FirmwareDownloadHook
