// What the soak's counting hook reports from inside the calculator's
// process, through a named shared section the driver reads.
#pragma once

#include <windows.h>

namespace nimbrel::soak {

inline constexpr const char* kCountsSection = "Local\\NimbrelSoakCounts";
// Sent to the calculator's window: the hook counts when it passes.
inline constexpr const char* kCountMessage = "NimbrelSoakCount";

struct Counts {
  LONG serial;  // one more per count, so that the driver sees a fresh one
  // GetGuiResources, where the system answers it (Windows; Wine says 0).
  LONG guiGdi, guiUser;
  // The process's GDI handle table, entry by entry: every object in it,
  // then by kind.
  LONG gdi, dcs, bitmaps, brushes, fonts, pens, regions, otherGdi;
  // USER objects: the process's windows (top-level, children, message-only),
  // its menus and its icons and cursors, found by their handles.
  LONG windows, menus, icons;
  // The Linux process's private dirty memory (smaps_rollup), KiB; -1 when
  // there is none to read (Windows).
  LONG privateKb;
};

}  // namespace nimbrel::soak
