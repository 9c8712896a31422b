// The form writer: a component tree as form text, each property written only
// when its class's stored rule and declared default say it must be.
#pragma once

#include <string>

#include "classes/Classes.h"
#include "classes/FormParser.h"

namespace menvaro {

// The text of `root` and everything GetChildren lists under it.
std::string WriteComponentText(TComponent* root);

// The text form of one value, as the writer lays it out at `indent`.
std::string FormValueText(const TFormValue& value, int indent);

}  // namespace menvaro
