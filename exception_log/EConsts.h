// Fixed numbers and texts of the logger: its version, the magic and
// scrambling of its stored data, the names of its shared blocks, its own
// messages and the keys of the report items.
#pragma once

#include <cstdint>

#include "classes/Messages.h"

namespace menvaro {

// The logger's name and version as the report header and the mails print it.
inline constexpr const char* kOstrelLogVersionText = "OstrelLog 4.5.4";

// The options stream this version writes; older ones are read from 400 on.
inline constexpr std::uint16_t kOptionsStreamVersion = 454;
inline constexpr std::uint16_t kOldestOptionsStreamVersion = 400;
// First bytes of the container of options and debug data.
inline constexpr std::uint32_t kOstrelDataMagic = 0x000FAB10;
// Every byte of a stored string is XOR'd with this.
inline constexpr std::uint8_t kStringScrambleKey = 0x3C;

// Shared blocks each module of the process publishes.
inline constexpr const char* kExceptBlockName = "EXCEPT";
inline constexpr const char* kModuleBlockName = "MODULE";

// Texts the logger itself writes.
extern const char* const kAssignNilOptionsMessage;
extern const char* const kNoCurrentOptionsMessage;
extern const char* const kUnknownExceptionType;
extern const char* const kUnknownErrorMessage;
extern const char* const kGeneralInternalError;
extern const char* const kCgiWriteError;
// The internal-error report: the address it is sent to, its subject, the
// question and the manual-send boxes' captions.
extern const char* const kAuthorsMailAddress;
extern const char* const kCriticalBugSubject;
extern const char* const kInternalBugCaption;
extern const char* const kInformationCaption;
extern const char* const kErrorCaption;

// Message-box styles: icon, task-modal, topmost, service notification.
inline constexpr UINT kStopBoxStyle = 0x242010;
inline constexpr UINT kQuestionBoxStyle = 0x242014;  // with Yes and No
inline constexpr UINT kInformationBoxStyle = 0x242030;

// DialogFlags bits.
inline constexpr std::uint8_t kDialogDuplicateCheck = 0x01;
inline constexpr std::uint8_t kDialogAskReproduceSteps = 0x02;

// ReportItems: bit i shows the report item with key kReportItemKeys[i].
inline constexpr int kReportItemCount = 23;
extern const char* const kReportItemKeys[kReportItemCount];
inline constexpr std::uint32_t kAllReportItems = 0xFFFFFFFF;

}  // namespace menvaro
