// Puts the process's format settings back as they were when the scope ends,
// for tests that switch separators or currency settings.
#pragma once

#include "base/FormatSettings.h"

namespace menvaro::test {

class FormatSettingsScope {
public:
    FormatSettingsScope() : saved_(FormatSettings()) {}
    ~FormatSettingsScope() { FormatSettings() = saved_; }
    FormatSettingsScope(const FormatSettingsScope&) = delete;
    FormatSettingsScope& operator=(const FormatSettingsScope&) = delete;

private:
    TFormatSettings saved_;
};

}  // namespace menvaro::test
