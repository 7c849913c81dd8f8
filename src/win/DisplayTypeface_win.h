// The typeface of the display. "OCR A Extended" where the machine has it;
// elsewhere the OCR-A copy built into the program (resource DISPLAYFONT),
// registered for this process only and gone with it.
#pragma once

#include <windows.h>

#include <string>

namespace nimbrel::win {

inline constexpr const char* kPreferredDisplayFace = "OCR A Extended";
inline constexpr const char* kBundledDisplayFace = "Nimbrel OCR-A";

// Whether a font family of this name is available to this process.
bool FontFamilyAvailable(const std::string& family);

class DisplayTypeface {
 public:
  explicit DisplayTypeface(HINSTANCE instance);
  ~DisplayTypeface();
  DisplayTypeface(const DisplayTypeface&) = delete;
  DisplayTypeface& operator=(const DisplayTypeface&) = delete;

  // The face name to ask CreateFont for.
  const std::string& face() const { return face_; }
  // Whether the program's own copy is the one in use.
  bool bundled() const { return added_ != nullptr; }

 private:
  std::string face_ = kPreferredDisplayFace;
  HANDLE added_ = nullptr;
};

}  // namespace nimbrel::win
