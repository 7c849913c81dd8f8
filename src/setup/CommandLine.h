// What the program is asked to do by its command line.
#pragma once

#include <string>
#include <string_view>

namespace nimbrel {

// The text after the program's name on a full command line: blanks and tabs
// skipped; a name in double quotes runs to the closing quote (which is
// skipped too), otherwise to the next blank or tab; the blanks and tabs
// after it skipped. The rest, trailing blanks included, is the tail.
std::string_view CommandTail(std::string_view commandLine);

// The uninstaller is asked for by a tail of exactly "-u": "-u ", "-U" and
// "/u" start the calculator.
inline bool IsUninstallRequest(std::string_view tail) { return tail == "-u"; }

// "-show", exactly: a running calculator is brought forward, without a
// message; with none running, the calculator starts and takes the focus.
inline bool IsShowRequest(std::string_view tail) { return tail == "-show"; }

// The program folder of an executable path: up to its last backslash, never
// ending in one ("" for a bare file name).
std::string ProgramFolder(const std::string& exePath);

}  // namespace nimbrel
