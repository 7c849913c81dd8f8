// Writes the prepared-art fixture (tests/unit/PreparedArt.ppm): each of the
// program's pictures prepared from res/art as the windows ask for it at 100,
// 150 and 200 %, kept as the summaries of EmbeddedArt.h, one binary PPM
// after another, each named by a comment ("# FACE 150 rows of 481x349").
//
//   make_prepared_art RES_ART_DIR OUTPUT
//
// Run it again only when the art itself changes, and look at what changed.
#include <cstdio>
#include <fstream>

#include "EmbeddedArt.h"

using namespace nimbrel;
using namespace nimbrel::art::testing;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_prepared_art RES_ART_DIR OUTPUT\n");
    return 2;
  }
  std::ofstream out(argv[2], std::ios::binary);
  for (int dpi : kFixtureDpis) {
    for (const ArtUse& use : ArtUses(Scale(dpi))) {
      const std::optional<art::Image> picture = Prepare(argv[1], use);
      if (!picture) {
        std::fprintf(stderr, "%s at %d DPI can't be prepared\n", use.file.c_str(), dpi);
        return 1;
      }
      for (const Summary& s : Summaries(*picture)) {
        out << "P6\n# " << use.resource << " " << dpi * 100 / kDesignDpi << " " << s.kind << " of " << picture->width
            << "x" << picture->height << "\n" << s.means.width << " " << s.means.height << "\n255\n";
        out.write(reinterpret_cast<const char*>(s.means.rgb.data()), std::streamsize(s.means.rgb.size()));
      }
    }
  }
  return out ? 0 : 1;
}
