// The Tools > Event Log items of the main window.
#include "FMain.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
#include "device/CDevice.h"
#include "eventlog/FFileLogView.h"
#include "eventlog/FLogView.h"
#include "eventlog/mdlEvents.h"
#include "platform/Error.h"
#include "platform/UiService.h"

namespace {

// "Name (*.log);;All Files (*.*)", the log filter of both file dialogs.
QString logFilter(txt::Id nameId)
{
    return mdlStrings::Translate(nameId) + QStringLiteral(" (*.log);;") + mdlStrings::Translate(txt::AllFiles) +
           QStringLiteral(" (*.*)");
}

// Whether the viewer has read any page of either log: records never read are all zeros.
bool anyPageRead(const CDevice &device)
{
    using Log = QByteArray (CDevice::*)(int) const;
    for (const auto &[log, rows] :
         {std::pair<Log, int>{&CDevice::LogListV, CDevice::LogVRows}, {&CDevice::LogListN, CDevice::LogNRows}}) {
        for (int row = 0; row < rows; ++row) {
            const QByteArray record = (device.*log)(row);
            if (record.count('\0') != record.size())
                return true;
        }
    }
    return false;
}

}  // namespace

void FMain::mnuEveVarix_Click()
{
    auto *viewer = new FLogView(this);
    LogViewer = viewer;
    viewer->show();
}

void FMain::mnuEveFile_Click()
{
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.filter = logFilter(txt::DeviceLogFile);
    const QString fileName = platform::ui::fileDialog(request);
    if (fileName.isEmpty())
        return;
    if (!fileLogView_)
        fileLogView_ = new FFileLogView(this);
    if (fileLogView_->ImportFile(fileName))
        fileLogView_->show();
}

void FMain::mnuEveSave_Click()
{
    // Only the pages read in the Log Viewer are saved: without any, the file would hold its header
    // alone, as if the device had logged nothing.
    if (!mDevice || !anyPageRead(*mDevice)) {
        platform::ui::msgBox(
            mdlStrings::Translate(QStringLiteral("No page of the event logs has been read yet: open them with "
                                                 "Tools > Event Log > On Device first.")),
            platform::MsgButtons::Ok, platform::MsgIcon::Information, platform::ui::DefaultTitle);
        return;
    }
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.title = mdlStrings::Translate(txt::ExportData);
    request.filter = logFilter(txt::LogFiles);
    request.defaultSuffix = QStringLiteral("log");
    const QString fileName = platform::ui::fileDialog(request);
    if (fileName.isEmpty())
        return;
    try {
        mdlEvents::SaveLogToFile(fileName);
    } catch (const platform::Error &error) {
        platform::ui::msgBox(mdlStrings::Translate(txt::UnableToExportData) + QStringLiteral("\r\n") +
                                 error.description(),
                             platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, platform::ui::DefaultTitle);
    }
}
