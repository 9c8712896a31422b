// Horizontal alignment of a text, shared by data fields and controls.
#pragma once

namespace menvaro {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

}  // namespace menvaro
