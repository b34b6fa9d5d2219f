// The Tools > Event Log items of the main window.
#include "FMain.h"

#include "core/TextId.h"
#include "core/mdlStrings.h"
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
