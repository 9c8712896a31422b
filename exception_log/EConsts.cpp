#include "EConsts.h"

namespace menvaro {

const char* const kAssignNilOptionsMessage = "Impossible to assign nil as TOstrelModuleOptions.";
const char* const kNoCurrentOptionsMessage = "Cannot use 'CurrentOstrelLogOptions' function without OstrelLog activate.";
const char* const kUnknownExceptionType = "Unknown exception type.";
const char* const kUnknownErrorMessage = "Unknown error message.";
const char* const kGeneralInternalError = "General internal error.";
// The misspelling is the system's own text.
const char* const kCgiWriteError = "CGI: Cannot write in the ouput file.";

const char* const kAuthorsMailAddress = "ostrellog-bugs@menvaro.local";
const char* const kCriticalBugSubject = "OstrelLog 4.5.4 critical bug.";
const char* const kInternalBugCaption = "Probably internal bug";
const char* const kInformationCaption = "Information";
const char* const kErrorCaption = "Error.";

const char* const kReportItemKeys[kReportItemCount] = {
    "Application|Start Date",
    "Application|Name",
    "Application|Version Number",
    "Application|Parameters",
    "Exception|Date",
    "Exception|Address",
    "Exception|Module",
    "Exception|Type",
    "Exception|Message",
    "Active Controls|Form Class",
    "Active Controls|Form Text",
    "Active Controls|Control Class",
    "Active Controls|Control Text",
    "Computer|Name",
    "Computer|User",
    "Computer|Total Memory",
    "Computer|Free Memory",
    "Computer|Total Disk",
    "Computer|Free Disk",
    "Operating System|Type",
    "Operating System|Build #",
    "Operating System|Update",
    "Operating System|Language",
};

}  // namespace menvaro
