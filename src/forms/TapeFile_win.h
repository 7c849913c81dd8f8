// The tape's file: "Tape.txt" in a Quarvel\Nimbrel folder of the user's
// local application data, UTF-8 text with CRLF line ends. Every write opens
// and closes the file, so that a step is on the disk as soon as it is on
// the tape, whatever ends the program.
#pragma once

#include <string>

#include "app/Tape.h"

namespace nimbrel {

// The file's full path; "" when the system names no such folder.
std::wstring TapeFilePath();

class DiskTapeFile : public TapeFile {
 public:
  std::string Read(std::string& text) override;
  std::string Append(const std::string& text) override;
  std::string Rewrite(const std::string& text) override;
  void Remove() override;
};

// The file, and its two folders where nothing else is left in them.
void RemoveTapeFile();

// Writes `text` to `path` as a whole (a new file, or one replaced); what
// went wrong in the system's words, or "".
std::string WriteWholeFile(const std::wstring& path, const std::string& text);

}  // namespace nimbrel
