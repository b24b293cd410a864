// Picture output of the command line: file names, the folder that appears
// whole or not at all, the PDF that keeps an existing file until it is done.
#ifdef BOARDQUILL_PICTURES
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "../render/board_rows.h"
#include "../support/temp_dir.h"
#include "chess/parser.h"
#include "cli/picturefolder.h"
#include "cli/picturesink.h"
#include "render/picturenames.h"
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
  void SetUp() override {
    style_.DiagFont = "Chess Merida";
    const ChessFontInfoRec& merida = fonts_.FontInfoRef("Chess Merida");
    for (const char* epd :
         {"4k3/8/8/8/8/8/8/4K3 w - - id \"same\";", "4k3/8/8/8/8/8/8/4K3 b - - id \"same\";"}) {
      positions_.push_back(Read(epd));
      records_.push_back({});
      records_.back().Rows = test::BoardRows(epd, merida, true);
    }
  }

  const TChessFontInfoMan fonts_{std::string(BQ_SOURCE_DIR) + "/data/ChsFonts.ini", nullptr};
  TPictureStyle style_;
  std::vector<TPosition> positions_;
  std::vector<TPictureRecord> records_;
  const testing::TempDir temp_;
  const fs::path dir_ = temp_.path();
};

TEST_F(PictureOutputTest, FolderAppearsWholeWithItsPicturesOrNotAtAll) {
  const fs::path target = dir_ / "pics";
  {
    auto sink = MakePictureSink(TOutputFormat::Png, target.string(), "{id}", style_);
    sink->Add(records_[0], positions_[0], 1);
    sink->Add(records_[1], positions_[1], 2);
    EXPECT_FALSE(fs::exists(target));  // not before it is complete
    sink->Commit({});
  }
  EXPECT_EQ(Listing(target), (std::set<std::string>{"same.png", "same-2.png"}));
  EXPECT_EQ(Listing(dir_), std::set<std::string>{"pics"});
  EXPECT_FALSE(IsNewOrEmptyFolder(target.string()));

  // An empty folder is taken; an abandoned run leaves nothing behind.
  const fs::path empty = dir_ / "empty";
  fs::create_directory(empty);
  EXPECT_TRUE(IsNewOrEmptyFolder(empty.string()));
  {
    auto sink = MakePictureSink(TOutputFormat::Svg, empty.string(), "{n}", style_);
    sink->Add(records_[0], positions_[0], 1);
  }
  EXPECT_TRUE(fs::is_empty(empty));
  EXPECT_EQ(Listing(dir_), (std::set<std::string>{"empty", "pics"}));
  {
    auto sink = MakePictureSink(TOutputFormat::Svg, empty.string(), "{n}", style_);
    sink->Add(records_[0], positions_[0], 1);
    sink->Commit({});
  }
  EXPECT_EQ(Listing(empty), std::set<std::string>{"0001.svg"});
  // A folder that got files meanwhile is not replaced.
  {
    auto sink = MakePictureSink(TOutputFormat::Svg, target.string(), "{n}", style_);
    EXPECT_THROW(sink->Commit({}), TFileError);
  }
  EXPECT_EQ(Listing(target), (std::set<std::string>{"same.png", "same-2.png"}));
}

TEST_F(PictureOutputTest, PdfReplacesAFileOnlyWhenComplete) {
  const fs::path target = dir_ / "doc.pdf";
  std::ofstream(target) << "precious";
  {
    auto sink = MakePictureSink(TOutputFormat::Pdf, target.string(), "", style_);
    sink->Add(records_[0], positions_[0], 1);
  }
  EXPECT_EQ(fs::file_size(target), 8u);
  EXPECT_EQ(Listing(dir_), std::set<std::string>{"doc.pdf"});
  {
    auto sink = MakePictureSink(TOutputFormat::Pdf, target.string(), "", style_);
    sink->Add(records_[0], positions_[0], 1);
    sink->Commit({"Solutions"});
  }
  std::ifstream in(target, std::ios::binary);
  std::string head(5, '\0');
  in.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
}

}  // namespace
}  // namespace bq
#endif
