// For the start-up benchmark: when NIMBREL_FIRST_PAINT_REPORT names a file,
// a program appends one line to it after its first frame painted on the
// screen (a paint while the window is still hidden doesn't count), the time
// since its process was created and its working set, and then ends the
// ordinary way (its window destroyed, so a tray icon goes with it: an icon
// left behind slows down the next program's start). Before that line come
// the marks the program set on its way (`mark PROGRAM NAME MS WORKINGSET`)
// and the DLLs loaded at the first frame (`dll PROGRAM NAME`). Without the
// variable this does nothing.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace nimbrel::win {

struct ProbeMark {
  const char* name;
  double ms;                // since the process was created
  unsigned long workingSet;  // bytes
};

inline double MsSinceProcessCreated() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

inline unsigned long WorkingSetBytes() {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  return static_cast<unsigned long>(memory.WorkingSetSize);
}

// Fixed storage, so that the yardstick's probe pulls in no more of the
// C++ library than it did.
struct ProbeMarks {
  ProbeMark marks[64];
  int count = 0;
};
inline ProbeMarks& Marks() {
  static ProbeMarks marks{};  // constant-initialised: no guard
  return marks;
}

// The end of a step of the start (`name` a string literal, one word).
inline void Mark(const char* name) {
  ProbeMarks& m = Marks();
  if (m.count < 64) m.marks[m.count++] = {name, MsSinceProcessCreated(), WorkingSetBytes()};
}

// One `dll PROGRAM NAME` line per loaded module, its base name lower case.
inline void WriteLoadedModules(FILE* f, const char* program) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes)) return;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
    char name[MAX_PATH] = {};
    if (!GetModuleBaseNameA(GetCurrentProcess(), modules[i], name, MAX_PATH)) continue;
    for (char* c = name; *c; ++c) *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    std::fprintf(f, "dll %s %s\n", program, name);
  }
}

inline void FirstPaintProbe(HWND window, const char* program) {
  static bool done = false;
  const char* report = std::getenv("NIMBREL_FIRST_PAINT_REPORT");
  if (done || !report || !*report || !IsWindowVisible(window)) return;
  done = true;
  const double ms = MsSinceProcessCreated();
  const unsigned long workingSet = WorkingSetBytes();
  if (FILE* f = std::fopen(report, "a")) {
    const ProbeMarks& m = Marks();
    for (int i = 0; i < m.count; ++i) {
      std::fprintf(f, "mark %s %s %.3f %lu\n", program, m.marks[i].name, m.marks[i].ms, m.marks[i].workingSet);
    }
    WriteLoadedModules(f, program);
    std::fprintf(f, "%s %.3f %lu\n", program, ms, workingSet);
    std::fclose(f);
  }
  DestroyWindow(window);
}

}  // namespace nimbrel::win
