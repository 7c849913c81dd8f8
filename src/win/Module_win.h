// The running program's own file.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel::win {

// The executable's full path.
inline std::string ModulePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

}  // namespace nimbrel::win
