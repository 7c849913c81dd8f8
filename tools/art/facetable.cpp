// Prints the calculator face table (kFaceKeys) as JSON on standard output.
//
// The art generator reads the key names, rectangles, frame counts and
// legends from this program's output, so the pictures always match the table
// the Win32 face and the dispatcher use. Legends are UTF-8 and are passed
// through unchanged; only characters JSON requires are escaped.
//
// It also prints the DPIs the pictures are drawn for and, for each, every
// design length up to kLongestLength as the program scales it, so that the
// art has exactly the pixel sizes the program asks for.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/FaceKeys.h"
#include "core/Scale.h"

namespace {

// Longer than any design length the pictures use (the 370-pixel memory strip).
constexpr int kLongestLength = 400;

std::string JsonString(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace

int main() {
  using nimbrel::kFaceKeys;
  std::printf("{\n  \"keys\": [\n");
  for (std::size_t i = 0; i < kFaceKeys.size(); ++i) {
    const auto& k = kFaceKeys[i];
    std::printf(
        "    {\"name\": %s, \"left\": %d, \"top\": %d, \"width\": %d, \"height\": %d, "
        "\"frames\": %d, \"legend1\": %s, \"legend2\": %s, \"sends\": %u, "
        "\"shownBy\": [%u, %u]}%s\n",
        JsonString(k.name).c_str(), k.left, k.top, k.width, k.height, k.frames,
        JsonString(k.legend1).c_str(), JsonString(k.legend2).c_str(),
        static_cast<unsigned>(k.sends), static_cast<unsigned>(k.shownBy[0]),
        static_cast<unsigned>(k.shownBy[1]), i + 1 < kFaceKeys.size() ? "," : "");
  }
  std::printf("  ],\n  \"dualLegend\": [");
  for (std::size_t i = 0; i < nimbrel::kDualLegendKeys.size(); ++i) {
    std::printf("%s%s", i ? ", " : "", JsonString(nimbrel::kDualLegendKeys[i]).c_str());
  }
  std::printf("],\n  \"art\": [\n");
  const std::size_t dpis = sizeof nimbrel::kArtDpis / sizeof nimbrel::kArtDpis[0];
  for (std::size_t i = 0; i < dpis; ++i) {
    const nimbrel::Scale scale(nimbrel::kArtDpis[i]);
    std::printf("    {\"dpi\": %d, \"lengths\": [", scale.dpi());
    for (int n = 0; n <= kLongestLength; ++n) std::printf("%s%d", n ? ", " : "", scale(n));
    std::printf("]}%s\n", i + 1 < dpis ? "," : "");
  }
  std::printf("  ]\n}\n");
  return 0;
}
