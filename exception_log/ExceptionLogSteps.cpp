// The steps of the pipeline that the screenshot and the mail parts of the
// logger fill (the dialog's is in ExceptionLogDialogWindows.cpp). Until then each records its warning, so that
// the road of a report is whole.
#include "ExceptionLog.h"

namespace menvaro {

bool SendReportMail(const TOstrelModuleOptions& options, const std::string& /*mailCopy*/, bool /*withScreenshot*/) {
    if (options.SendMode() == 2 || options.SendMode() == 3)
        ReportWarning(eeEmailSMTPError, "[SMTP] Sending by SMTP is not available.");
    else
        ReportWarning(eeEmailMAPIError, "[MAPI] Sending through the mail client is not available.");
    return false;
}

bool TakeScreenshot(const std::string& /*file*/) { return false; }

}  // namespace menvaro
