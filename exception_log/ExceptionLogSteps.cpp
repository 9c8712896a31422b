// The steps of the pipeline that the screenshot and the mail parts of the
// logger fill (the dialog's is in ExceptionLogDialogWindows.cpp).
#include <unistd.h>

#include "ExceptionLog.h"
#include "ExceptionLogDialog.h"
#include "ExceptionLogMail.h"
#include "base/Files.h"

namespace menvaro {

// The attachments are the files the pipeline wrote into its temporary
// folder: the copy of the log (unless the report goes in the text) and the
// screenshot when one was taken.
bool SendReportMail(const TOstrelModuleOptions& options, const std::string& mailCopy, bool withScreenshot) {
    // Bounded by the sessions' own time-outs, however long the servers take.
    const TFatalReportOutsideWait servers;
    const std::string folder = IncludeTrailingPathDelimiter(ReportTemporaryFolder());
    std::vector<std::string> attachments;
    if (!options.LogInBody()) attachments.push_back(folder + ExtractFileName(options.OutputLogFile()));
    if (withScreenshot) attachments.push_back(folder + "Screenshot.png");
    const std::string body = options.MailBody() + BodyAddition(options, mailCopy);
    if (IsSmtpSendMode(options)) {
        // The progress window, when one shows, closes as it goes.
        const std::unique_ptr<TSmtpProgress> progress = CreateSmtpProgressWindow(options);
        return SendEmailBySmtp(options.SendMode() == 3, options.SenderAddress(), options.SmtpHost(),
                               options.SmtpPort(), options.SmtpUser(), options.SmtpPassword(), options.MailTo(),
                               options.MailSubject(), body, attachments, progress.get());
    }
    // The mail client, and when it cannot take the message, the mailto handler.
    if (SendEmailByMapi(options.MailTo(), options.MailSubject(), body, attachments)) return true;
    return SendEmailByShell(options.MailTo(), options.MailSubject(), options.MailBody(), LastReportTexts().Report,
                            DialogState().RequestText);
}

bool TakeScreenshot(const std::string& file) {
    try {
        return SaveScreenshotPng(file);
    } catch (...) {
        // No screenshot is no reason to lose the report.
        ::unlink(file.c_str());
        return false;
    }
}

}  // namespace menvaro
