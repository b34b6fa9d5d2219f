#include "FirmwareDownloadHook.h"

namespace FirmwareDownloadHook
{
namespace
{
Runner &runner()
{
    static Runner instance;
    return instance;
}
} // namespace

void setRunner(Runner r)
{
    runner() = std::move(r);
}

bool isInstalled()
{
    return static_cast<bool>(runner());
}

bool run(QWidget *owner)
{
    return runner() ? runner()(owner) : false;
}

} // namespace FirmwareDownloadHook
