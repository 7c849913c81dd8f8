// The display's typeface on a machine without "OCR A Extended" (Wine has
// none): the program's own OCR-A must be the font GDI actually draws with,
// not a look-alike it falls back to, and only while the program holds it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/DisplayTypeface_win.h"
#include "win/Gdi.h"

namespace {

using nimbrel::win::DisplayTypeface;
using nimbrel::win::FontFamilyAvailable;
using nimbrel::win::kBundledDisplayFace;
using nimbrel::win::kPreferredDisplayFace;

std::vector<char> BundledBytes() {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, "DISPLAYFONT", RT_RCDATA);
  if (!found) return {};
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(self, found)));
  return {bytes, bytes + SizeofResource(self, found)};
}

// What a DC with this face selected reports: its face name and the bytes of
// the font file GDI uses for it.
struct Selected {
  std::string face;
  std::vector<char> file;
  int ascent = 0;
};

// Wine keeps no font of its own in its RemoveFontMemResourceEx.
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// The display font as the window makes it: ANSI, fixed pitch, 12 points
// unless asked otherwise.
Selected Select(const std::string& face, int points = 12) {
  HDC screen = GetDC(nullptr);
  nimbrel::win::Font font(CreateFontA(nimbrel::win::FontHeight(points), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      FIXED_PITCH | FF_MODERN, face.c_str()));
  Selected out;
  {
    nimbrel::win::Selection selected(screen, font.get());
    char name[LF_FACESIZE] = {};
    GetTextFaceA(screen, LF_FACESIZE, name);
    out.face = name;
    const DWORD size = GetFontData(screen, 0, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0) {
      out.file.resize(size);
      GetFontData(screen, 0, 0, out.file.data(), size);
    }
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    out.ascent = metrics.tmAscent;
  }
  ReleaseDC(nullptr, screen);
  return out;
}

TEST(DisplayTypeface, TheBundledCopyIsTheFontDrawnWith) {
  ASSERT_FALSE(FontFamilyAvailable(kPreferredDisplayFace)) << "this machine has OCR A Extended installed";
  const std::vector<char> bundled = BundledBytes();
  ASSERT_GT(bundled.size(), 10000u);
  // Nothing on the machine answers to the bundled family's name before the
  // program registers it...
  ASSERT_FALSE(FontFamilyAvailable(kBundledDisplayFace));
  // (Another size than below: Wine remembers what a font request resolved to.)
  const Selected before = Select(kBundledDisplayFace, 11);
  EXPECT_NE(before.face, kBundledDisplayFace);
  EXPECT_NE(before.file, bundled);
  {
    DisplayTypeface typeface(GetModuleHandleA(nullptr));
    EXPECT_TRUE(typeface.bundled());
    EXPECT_EQ(typeface.face(), kBundledDisplayFace);
    EXPECT_TRUE(FontFamilyAvailable(kBundledDisplayFace));
    // ...and while it is registered, the display font is exactly its file.
    const Selected during = Select(typeface.face());
    EXPECT_EQ(during.face, kBundledDisplayFace);
    EXPECT_TRUE(during.file == bundled) << "GDI draws with " << during.file.size() << " other bytes";
    EXPECT_GT(during.ascent, 8);
  }
  // Registered for this process only, and let go with the typeface.
  if (!UnderWine()) {
    EXPECT_FALSE(FontFamilyAvailable(kBundledDisplayFace));
  }
}

TEST(DisplayTypeface, AnInstalledFamilyIsFoundByName) {
  // Wine always has its own Tahoma; a made-up name is never there.
  EXPECT_TRUE(FontFamilyAvailable("Tahoma"));
  EXPECT_FALSE(FontFamilyAvailable("No Such Family 7f3a"));
}

}  // namespace
