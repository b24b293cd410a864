// Picture files: their names, and the folder that appears whole or not at
// all.
#ifdef BOARDQUILL_PICTURES
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "../support/temp_dir.h"
#include "chess/parser.h"
#include "convert/driver.h"
#include "render/picturefolder.h"
#include "render/picturenames.h"
#include "render/picturesink.h"
#include "support/atomicfile.h"

namespace bq {
namespace {

namespace fs = std::filesystem;

TPosition Read(const std::string& epd) {
  TPosition pos;
  InitPosition(pos);
  EXPECT_TRUE(ReadEPDLine(pos, epd)) << epd;
  return pos;
}

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

TEST(PictureNamesTest, NumbersFieldsUnsafeBytesAndRepeats) {
  const TPosition a = Read("4k3/8/8/8/8/8/8/4K3 w - - id \"BK.01\";");
  const TPosition b = Read("4k3/8/8/8/8/8/8/4K3 b - - id \"a/b c\\\\d\";");
  TPictureNames numbered("{n}");
  EXPECT_EQ(numbered.Next(a, 1, 3, ".png"), "0001.png");
  EXPECT_EQ(numbered.Next(a, 10000, 9, ".png"), "10000.png");
  TPictureNames named("{id}_{line}{{x}}");
  EXPECT_EQ(named.Next(a, 1, 7, ".svg"), "BK.01_7_x_.svg");
  EXPECT_EQ(named.Next(b, 2, 8, ".svg"), "a_b_c__d_8_x_.svg");
  TPictureNames byId("{ID}");
  EXPECT_EQ(byId.Next(a, 1, 1, ".png"), "BK.01.png");
  EXPECT_EQ(byId.Next(a, 2, 2, ".png"), "BK.01-2.png");
  EXPECT_EQ(byId.Next(a, 3, 3, ".png"), "BK.01-3.png");
  // A missing field leaves nothing; a name is never empty or a path.
  TPictureNames missing("{bm}");
  EXPECT_EQ(missing.Next(a, 1, 1, ".png"), "_.png");
  EXPECT_EQ(SafeFileName(".."), ".._");
  EXPECT_EQ(SafeFileName(std::string(300, 'x')).size(), 200u);
}

class PictureOutputTest : public ::testing::Test {
 protected:
  // Converts `text` into the pictures of `format` in `folder`; false when
  // a line was refused (the sink is then never finished).
  bool Export(TOutputFormat format, const fs::path& folder, const std::string& names,
              const std::string& text) {
    TConvertSettings s;
    s.DiagFont = "Chess Merida";
    const TConvertJob job = MakeConvertJob(s, fonts_, format, {.NameTemplate = names});
    const auto sink = MakePictureSink(job, folder.string(), {});
    return ConvertEPDText(text, job, *sink).Ok;
  }

  const TChessFontInfoMan fonts_{std::string(BQ_SOURCE_DIR) + "/data/ChsFonts.ini", nullptr};
  const testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
};

constexpr char kTwo[] =
    "4k3/8/8/8/8/8/8/4K3 w - - id \"same\";\n4k3/8/8/8/8/8/8/4K3 b - - id \"same\";\n";

TEST_F(PictureOutputTest, FolderAppearsWholeWithItsPicturesOrNotAtAll) {
  const fs::path target = dir_ / "pics";
  EXPECT_TRUE(Export(TOutputFormat::Png, target, "{id}", kTwo));
  EXPECT_EQ(Listing(target), (std::set<std::string>{"same.png", "same-2.png"}));
  EXPECT_EQ(Listing(dir_), std::set<std::string>{"pics"});
  EXPECT_FALSE(IsNewOrEmptyFolder(target.string()));

  // An empty folder is taken; an abandoned run leaves nothing behind.
  const fs::path empty = dir_ / "empty";
  fs::create_directory(empty);
  EXPECT_TRUE(IsNewOrEmptyFolder(empty.string()));
  EXPECT_FALSE(Export(TOutputFormat::Svg, empty, "{n}", std::string(kTwo) + "not epd\n"));
  EXPECT_TRUE(fs::is_empty(empty));
  EXPECT_EQ(Listing(dir_), (std::set<std::string>{"empty", "pics"}));
  EXPECT_TRUE(Export(TOutputFormat::Svg, empty, "{n}", "4k3/8/8/8/8/8/8/4K3 w - -\n"));
  EXPECT_EQ(Listing(empty), std::set<std::string>{"0001.svg"});
  // A folder that got files meanwhile is not replaced.
  EXPECT_THROW(Export(TOutputFormat::Svg, target, "{n}", ""), TFileError);
  EXPECT_EQ(Listing(target), (std::set<std::string>{"same.png", "same-2.png"}));
}

}  // namespace
}  // namespace bq
#endif
