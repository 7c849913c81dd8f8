// The options dialog (class TfrmOptions), built from a table of its
// controls. It shows a draft of the settings and hands back the edited
// draft when closed with OK; what OK then does is ApplyOptions'.
#pragma once

#include <windows.h>

#include <optional>

#include "core/Scale.h"
#include "app/OptionsDialog.h"

namespace nimbrel {

inline constexpr const char* kOptionsFormClass = "TfrmOptions";

// Shows the dialog modally over `owner`; `picture` is the decorative
// bitmap. Returns the draft on OK, nothing on Cancel, Escape or the close box.
std::optional<OptionsDraft> RunOptionsDialog(HINSTANCE instance, HWND owner, const OptionsDraft& start,
                                             Scale scale);

}  // namespace nimbrel
