#include "win/DisplayTypeface_win.h"

namespace nimbrel::win {

namespace {

int CALLBACK NoteFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

bool FontFamilyAvailable(const std::string& family) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, family.c_str(), LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

DisplayTypeface::DisplayTypeface(HINSTANCE instance) {
  if (FontFamilyAvailable(kPreferredDisplayFace)) return;
  // The resource stays mapped for the life of the module, and GDI copies
  // the bytes anyway.
  HRSRC found = FindResourceA(instance, "DISPLAYFONT", RT_RCDATA);
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return;  // GDI then picks the closest face it has
  DWORD fonts = 0;
  added_ = AddFontMemResourceEx(bytes, SizeofResource(instance, found), nullptr, &fonts);
  if (added_) face_ = kBundledDisplayFace;
}

DisplayTypeface::~DisplayTypeface() {
  if (added_) RemoveFontMemResourceEx(added_);
}

}  // namespace nimbrel::win
