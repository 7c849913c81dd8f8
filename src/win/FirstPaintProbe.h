// For the start-up benchmark: when NIMBREL_FIRST_PAINT_REPORT names a file,
// a program appends one line to it after its first frame painted on the
// screen (a paint while the window is still hidden doesn't count), the time
// since its process was created and its working set, and then ends the
// ordinary way (its window destroyed, so a tray icon goes with it: an icon
// left behind slows down the next program's start). Without the variable
// this does nothing.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace nimbrel::win {

inline void FirstPaintProbe(HWND window, const char* program) {
  static bool done = false;
  const char* report = std::getenv("NIMBREL_FIRST_PAINT_REPORT");
  if (done || !report || !*report || !IsWindowVisible(window)) return;
  done = true;
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const double ms = static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  if (FILE* f = std::fopen(report, "a")) {
    std::fprintf(f, "%s %.3f %lu\n", program, ms, static_cast<unsigned long>(memory.WorkingSetSize));
    std::fclose(f);
  }
  DestroyWindow(window);
}

}  // namespace nimbrel::win
