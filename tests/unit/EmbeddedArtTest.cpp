// The program's own pictures: every file in res/art decodes at the size the
// face table and the scale rule give for its name, and every picture the
// windows prepare at 100, 150 and 200 % is what it was when the fixture
// (PreparedArt.ppm, written by make_prepared_art) was taken.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "EmbeddedArt.h"
#include "art/Decode.h"

namespace nimbrel::art {
namespace {

using testing::ArtUse;
using testing::ArtUses;

const std::string kArtDir = NIMBREL_SOURCE_DIR "/res/art";

// The most a summary's mean may move. The key strips are PNG and come out
// exactly. A JPEG's samples may differ by up to 3 levels between decoders
// whose IDCTs round differently (stb_image and the decoder the fixture was
// taken with: 95 % of samples equal, 0.004 % off by 3); a row's or a
// column's mean averages that down to 2, a block's may not, since the blocks
// at the right and bottom edges can be a single pixel wide.
int Tolerance(const ArtUse& use, const std::string& kind) {
  if (!use.jpeg) return 0;
  return kind == "blocks" ? 3 : 2;
}

// The fixture's pictures by their comment ("FACE 150 rows of 481x349").
std::map<std::string, Image> ReadFixture() {
  std::map<std::string, Image> records;
  const std::vector<std::uint8_t> bytes = testing::ReadBytes(NIMBREL_SOURCE_DIR "/tests/unit/PreparedArt.ppm");
  std::istringstream stream(std::string(bytes.begin(), bytes.end()));
  std::string magic, name;
  while (stream >> magic) {
    Image image;
    int maxValue = 0;
    stream.ignore(1);
    std::getline(stream, name);
    stream >> image.width >> image.height >> maxValue;
    stream.ignore(1);
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    stream.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    if (magic != "P6" || maxValue != 255 || !stream) {
      ADD_FAILURE() << "the fixture is damaged at " << name;
      break;
    }
    records[name.substr(2)] = std::move(image);
  }
  return records;
}

TEST(EmbeddedArt, EveryFileDecodesAtTheSizeItsNameSays) {
  std::map<std::string, Size> expected;  // by path below res/art
  for (int dpi : kArtDpis)
    for (const ArtUse& use : ArtUses(Scale(dpi)))
      expected[use.file + "@" + std::to_string(dpi) + (use.jpeg ? ".jpg" : ".png")] = use.Drawn();
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kArtDir)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = std::filesystem::relative(entry.path(), kArtDir).generic_string();
    found.insert(path);
    ASSERT_TRUE(expected.count(path)) << path << " is no picture the windows use";
    const std::vector<std::uint8_t> bytes = testing::ReadBytes(entry.path().string());
    const std::optional<Image> picture = DecodeImage(bytes);
    ASSERT_TRUE(picture) << path;
    EXPECT_EQ(picture->size(), expected[path]) << path;
    EXPECT_EQ(PeekSize(bytes), expected[path]) << path;
    EXPECT_FALSE(picture->HasAlpha()) << path;
  }
  for (const auto& [path, size] : expected) EXPECT_TRUE(found.count(path)) << path << " is missing";
}

TEST(EmbeddedArt, PreparedAt100150And200PercentAsWhenTheFixtureWasTaken) {
  const std::map<std::string, Image> fixture = ReadFixture();
  for (int dpi : testing::kFixtureDpis) {
    for (const ArtUse& use : ArtUses(Scale(dpi))) {
      const std::optional<Image> picture = testing::Prepare(kArtDir, use);
      ASSERT_TRUE(picture) << use.file << " at " << dpi;
      for (const testing::Summary& s : testing::Summaries(*picture)) {
        std::ostringstream name;
        name << use.resource << " " << dpi * 100 / kDesignDpi << " " << s.kind << " of " << picture->width << "x"
             << picture->height;
        const auto record = fixture.find(name.str());
        ASSERT_NE(record, fixture.end()) << name.str() << " (no such picture or size in the fixture)";
        ASSERT_EQ(s.means.size(), record->second.size()) << name.str();
        int worst = 0;
        for (std::size_t i = 0; i < s.means.rgb.size(); ++i)
          worst = std::max(worst, std::abs(int(s.means.rgb[i]) - int(record->second.rgb[i])));
        EXPECT_LE(worst, Tolerance(use, s.kind)) << name.str();
      }
    }
  }
}

}  // namespace
}  // namespace nimbrel::art
