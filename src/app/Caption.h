// The calculator's name on the screen: the main window's caption and the
// caption of its message boxes. A second start finds the first by it.
#pragma once

namespace nimbrel {

inline constexpr const char* kCaption = "Quarvel Calculator";

}  // namespace nimbrel
