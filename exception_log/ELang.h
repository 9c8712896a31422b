// The logger's user-visible texts: the 71 texts of the dialogs, the report
// and the mails, each known by its group and name, with its English default.
#pragma once

#include <cstddef>

namespace menvaro {

inline constexpr int kOstrelTextCount = 71;

struct TOstrelTextInfo {
    const char* Group;
    const char* Name;
    const char* Default;
};

// Index 0 .. 70, in the order the options stream stores them.
extern const TOstrelTextInfo kOstrelTexts[kOstrelTextCount];

// The message of the freeze exception, by default.
inline constexpr const char* kDefaultFreezeMessage = "The application seems to be frozen.";

}  // namespace menvaro
