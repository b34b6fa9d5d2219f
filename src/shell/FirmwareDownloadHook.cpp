#include "FirmwareDownloadHook.h"

namespace FirmwareDownloadHook {
namespace {
Runner &runner()
{
    static Runner instance;
    return instance;
}

ImageCheck &imageCheck()
{
    static ImageCheck instance;
    return instance;
}
}  // namespace

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

void setImageCheck(ImageCheck check)
{
    imageCheck() = std::move(check);
}

bool imageReady(int32_t softwareId)
{
    return !imageCheck() || imageCheck()(softwareId);
}

}  // namespace FirmwareDownloadHook
