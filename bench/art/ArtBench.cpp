// How long our picture code takes: decoding PNG and JPEG files (stb_image)
// and scaling them (ResampleFrames). Prints figures (the best of several
// runs, the least disturbed by other work on the machine) and never fails
// on time.
//
//   nimbrel-art-bench              the program's own pictures from res/art (native build only)
//   nimbrel-art-bench FILE...      the given PNG or JPEG files (any build; a name with
//                                  "strip" in it is taken as four frames)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "art/Compose.h"
#include "art/Decode.h"
#include "art/Resample.h"

namespace {

using nimbrel::art::Image;
using Bytes = std::vector<std::uint8_t>;

// The best time of `runs` calls, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return *std::min_element(times.begin(), times.end());
}

// Decoding, then scaling to 5/6 (as from the 144 DPI variant for 120 DPI)
// and to the frame size of the next variant down (2/3).
void Measure(const std::string& name, const Bytes& file, int frames) {
  const std::optional<Image> picture = nimbrel::art::DecodeImage(file);
  if (!picture) {
    std::printf("%-28s cannot be decoded\n", name.c_str());
    return;
  }
  const int frameWidth = picture->width / frames, height = picture->height;
  const double decode = Best(15, [&] { (void)nimbrel::art::DecodeImage(file); });
  const double sixths = Best(15, [&] { (void)nimbrel::art::ResampleFrames(*picture, frames, frameWidth * 5 / 6, height * 5 / 6); });
  const double thirds = Best(15, [&] { (void)nimbrel::art::ResampleFrames(*picture, frames, frameWidth * 2 / 3, height * 2 / 3); });
  std::printf("%-28s %5d x %-4d %7zu bytes  decode %7.2f ms  scale 5/6 %6.2f ms  2/3 %6.2f ms\n", name.c_str(),
              picture->width, picture->height, file.size(), decode, sixths, thirds);
}

Bytes ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The program's own pictures the bench takes when given none: the
// background at each size the windows start from, the largest options
// picture and memory strip, a key strip at 96 and 288 DPI.
const char* const kOwnPictures[] = {"Face@96.jpg",    "Face@192.jpg",      "Face@288.jpg",      "Options@192.jpg",
                                    "MemSlot@288.jpg", "keys/Enter@96.png", "keys/Enter@288.png"};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) Measure(argv[i], ReadFile(argv[i]), std::string(argv[i]).find("strip") != std::string::npos ? 4 : 1);
  if (argc > 1) return 0;
#ifdef NIMBREL_ART_DIR
  for (const char* name : kOwnPictures) {
    const std::string path = std::string(NIMBREL_ART_DIR) + "/" + name;
    Measure(name, ReadFile(path.c_str()), 1);
  }
#else
  std::printf("usage: nimbrel-art-bench FILE...\n");
#endif
  return 0;
}
