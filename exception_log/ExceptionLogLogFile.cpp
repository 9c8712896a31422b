// The crash log: the ".elf" file of a program's reports.
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "base/Files.h"

namespace menvaro {

std::string LogLockFileName(const std::string& logFile) { return logFile + ".lock"; }

namespace {

constexpr std::string_view kReportEnd = kLogReportEnd;

}  // namespace

std::string LogTarget(const std::string& fileName) {
    struct stat st;
    if (::lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return fileName;
    char resolved[PATH_MAX];
    return ::realpath(fileName.c_str(), resolved) ? std::string(resolved) : fileName;
}

TLogFile::TLogFile(const std::string& fileName, bool forUpdate) : fileName_(LogTarget(fileName)) {
    TraceCall("TLogFile.Create", {fileName, forUpdate}, 2);
    if (fileName_.empty()) throw EOstrelLogError("No log file is named.");
    auto refuseOther = [this] {
        struct stat st;
        const bool exists = ::stat(fileName_.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode))
            throw EOstrelLogError("The log file \"" + fileName_ + "\" is not a regular file.");
        return exists;
    };
    // Before a lock file is made beside what is no log at all.
    refuseOther();
    if (forUpdate) {
        lock_ = std::make_unique<TFileLock>();
        const std::string lockFile = LogLockFileName(fileName_);
        if (!lock_->Open(lockFile, true))
            throw EOstrelLogError("Cannot make the lock file \"" + lockFile + "\". " + SysErrorMessage(errno));
        if (!lock_->Lock())
            throw EOstrelLogError("The log file \"" + fileName_ + "\" is being saved by another program.");
    }
    // Asked and read under the lock: another program may have made or
    // changed it while this one waited.
    if (refuseOther()) Load(ReadRegularFileBytes(fileName_));
    TraceCall("TLogFile.Create=", {static_cast<int>(reports_.size())}, -2);
}

TLogFile::~TLogFile() = default;

void TLogFile::Load(std::string_view text) {
    reports_.clear();
    const std::string_view start = kLogReportStart;
    for (std::size_t at = 0; (at = text.find(start, at)) != std::string_view::npos;) {
        if (at != 0 && (at < 2 || text.substr(at - 2, 2) != "\r\n")) {
            ++at;  // inside a line
            continue;
        }
        const std::size_t end = text.find(kReportEnd, at);
        if (end == std::string_view::npos) break;  // unterminated: dropped
        reports_.emplace_back(text.substr(at, end + 6 - at));
        at = end;
    }
}

void TLogFile::Add(const std::string& report, int maximum) {
    const std::size_t keep = static_cast<std::size_t>(std::max(maximum, 1) - 1);
    if (reports_.size() > keep) reports_.erase(reports_.begin(), reports_.end() - static_cast<std::ptrdiff_t>(keep));
    reports_.push_back(report + std::string(kReportEnd));
}

bool TLogFile::Remove(std::string_view report) {
    // As the report stands in a log that was read back.
    const std::string added = std::string(report) + std::string(kReportEnd);
    const std::string_view logged = std::string_view(added).substr(0, added.find(kReportEnd) + 6);
    for (auto it = reports_.begin(); it != reports_.end(); ++it) {
        if (*it == logged) {
            reports_.erase(it);
            return true;
        }
    }
    return false;
}

bool TLogFile::IsDuplicate(const std::vector<std::string>& keys, const std::vector<std::string>& values) const {
    if (keys.size() != values.size()) return false;
    auto matches = [](const std::string& report, const std::string& key, const std::string& value) {
        const std::string line = "\r\n  " + key + " ";
        const std::size_t at = report.find(line);
        if (at == std::string::npos) return false;
        const std::size_t end = report.find("\r\n", at + line.size());
        const std::size_t colon = report.find(": ", at + line.size());
        if (end == std::string::npos || colon == std::string::npos || colon > end) return false;
        return report.compare(colon + 2, end - colon - 2, value) == 0;
    };
    for (const std::string& report : reports_) {
        bool all = true;
        for (std::size_t i = 0; i < keys.size() && all; ++i) all = matches(report, keys[i], values[i]);
        if (all) return true;
    }
    return false;
}

std::string TLogFile::Text() const {
    std::string text;
    for (const std::string& report : reports_) text += report + "\r\n";
    return text;
}

void TLogFile::Save() {
    TraceCall("TLogFile.Save", {fileName_}, 2);
    if (!lock_) throw EOstrelLogError("The log file \"" + fileName_ + "\" was not opened for saving.");
    // What a save that was ended half way left behind.
    DeleteAtomicWriteLeftovers(ExtractFilePath(fileName_), ExtractFileName(fileName_));
    WriteFileAtomic(fileName_, Text(), 0600);
    TraceCall("TLogFile.Save=", {}, -2);
}

std::string LogRequestText(std::string_view text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += static_cast<unsigned char>(c) < 32 ? ' ' : c;
        }
    }
    std::string result;
    int empty = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        empty = lines[i].empty() ? empty + 1 : 0;
        if (empty > 2) continue;
        if (i > 0) result += "\r\n";
        if (lines[i].starts_with(kLogReportStart)) result += ' ';
        result += lines[i];
    }
    return result;
}

bool SaveLogFile(TOstrelLogSave& save) {
    TraceCall("SaveLogFile", {}, 2);
    TOwned<TOstrelModuleOptions> defaults;
    if (!save.Options) defaults.reset(Create<TOstrelModuleOptions>("", false));
    const TOstrelModuleOptions& options = save.Options ? *save.Options : *defaults;
    bool allowed = true;
    ClearWarning();
    if (CustomActionAssigned()) CallCustomAction(save.Record, atSavingLog, allowed);
    bool success = false, retry = false;
    do {
        // Each try anew: a retry after a failure saves again.
        success = allowed;
        ClearWarning();
        try {
            TLogFile log(options.OutputLogFile(), true);
            // The short report of the same fatal signal gives way, saved or not.
            const bool replaced = !save.Replaces.Text.empty() && save.Replaces.LogFile == log.FileName() &&
                                  log.Remove(save.Replaces.Text);
            if (!save.Duplicate) {
                std::string report = save.Report;
                if ((options.DialogFlags() & kDialogAskReproduceSteps) && !save.RequestText.empty()) {
                    report += "\r\n" + options.GetText(59) + ":\r\n" + std::string(40, '-') + "\r\n" +
                              LogRequestText(save.RequestText);
                    save.MailCopy = report;
                }
                // Not kept when the event refused it: a removal alone may be saved.
                if (allowed) log.Add(report, options.MaxLogReports());
            }
            if (options.SendWholeLog()) save.MailCopy = log.Text();
            if (success || replaced) log.Save();
            if (replaced) save.Replaces = {};
        } catch (...) {
            ReportWarningFromException(eeLogError, "Log");
            success = false;
        }
        retry = false;
        if (!success && ErrorNotifyAssigned()) CallErrorNotify(save.Record, atSavedLog, retry);
    } while (retry);
    // A short report in another log (of the logger's own module) goes too.
    if (!save.Replaces.Text.empty() && (success || !allowed)) {
        RemoveLoggedReport(save.Replaces.LogFile, save.Replaces.Text);
        save.Replaces = {};
    }
    if (CustomActionAssigned()) {
        bool execute = true;
        CallCustomAction(save.Record, atSavedLog, execute);
    }
    TraceCall("SaveLogFile=", {success}, -2);
    return success;
}

bool IsDuplicateException(const TOstrelModuleOptions& options, const TOstrelReportContext& context,
                          std::string_view ignoring) {
    if (!(options.DialogFlags() & kDialogDuplicateCheck)) return false;
    try {
        TLogFile log(options.OutputLogFile(), false);
        if (!ignoring.empty()) log.Remove(ignoring);
        return log.IsDuplicate({"2.2", "2.3", "2.4", "2.5"},
                               {context.AddressText, context.ModuleName, context.TypeText, context.MessageText});
    } catch (const std::exception& e) {
        TraceCall("IsDuplicateException", {std::string(e.what())});
        return false;
    }
}

}  // namespace menvaro
