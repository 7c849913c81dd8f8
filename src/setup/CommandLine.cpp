#include "setup/CommandLine.h"

namespace nimbrel {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view CommandTail(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && Blank(line[i])) ++i;
  if (i < line.size() && line[i] == '"') {
    ++i;
    while (i < line.size() && line[i] != '"') ++i;
    if (i < line.size()) ++i;  // the closing quote
  } else {
    while (i < line.size() && !Blank(line[i])) ++i;
  }
  while (i < line.size() && Blank(line[i])) ++i;
  return line.substr(i);
}

std::string ProgramFolder(const std::string& exePath) {
  const size_t cut = exePath.find_last_of('\\');
  return cut == std::string::npos ? std::string() : exePath.substr(0, cut);
}

}  // namespace nimbrel
