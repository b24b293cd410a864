// Hostile input in picture diagrams: the corpus of the conversion's fuzz
// target through the picture writer and the RTF writer. Each input ends
// with its failing line's message or with a well formed document that
// holds one PNG picture per record, which decodes. scripts/sanitize.sh runs
// it under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>

#include "../convert/rtf_wellformed.h"
#include "render/picturewriter.h"
#include "render_test_util.h"

namespace bq {
namespace {

namespace fs = std::filesystem;

// The embedded pictures of a document, unhexed.
std::vector<std::string> Pictures(const std::string& rtf) {
  std::vector<std::string> pictures;
  for (std::size_t at = rtf.find("{\\pict"); at != std::string::npos;
       at = rtf.find("{\\pict", at + 1)) {
    std::string& png = pictures.emplace_back();
    for (std::size_t k = rtf.find("\r\n", at) + 2; k + 1 < rtf.size() && rtf[k] != '}'; k += 2) {
      if (rtf[k] == '\r') k += 2;
      png.push_back(static_cast<char>(std::stoi(rtf.substr(k, 2), nullptr, 16)));
    }
  }
  return pictures;
}

TEST(HostilePictures, FuzzCorpusGivesWholeDocumentsOfPictures) {
  std::vector<fs::path> inputs;
  for (const auto& e : fs::directory_iterator(BQ_SOURCE_DIR "/fuzz/corpus/convert"))
    inputs.push_back(e.path());
  std::sort(inputs.begin(), inputs.end());
  ASSERT_GT(inputs.size(), 100u);
  long long records = 0;
  for (std::size_t k = 0; k < inputs.size(); ++k) {
    std::string text = test::ReadAll(inputs[k].string());
    // The EPD text only: the settings vary here, small boards keep it quick.
    if (const std::size_t sep = text.find("\n====\n"); sep != std::string::npos)
      text.erase(0, sep + 6);
    TConvertSettings s;
    s.DiagFont = "Chess Merida";
    s.DiagFontSize = 3;
    s.DiagramStyle = TDiagramStyle::Picture;
    s.ShowCoords = k % 2 == 0;
    s.Operations = "id,bm,c0";
    s.Layout.MoverMark = k % 3 == 0;
    s.Layout.Orientation = TOrientation::ToMove;
    s.Layout.Caption = k % 4 == 1 ? "{n} {id} {fen}" : "";
    s.Layout.Columns = static_cast<int>(k % 5 == 2 ? 3 : 1);
    const TConvertJob job = MakeConvertJob(s, test::ShippedFonts());
    const TRtfResult r = ConvertEPDText(text, job, MakeBoardPng(job));
    const std::string name = inputs[k].filename().string();
    if (!r.Ok) {
      EXPECT_TRUE(r.Document.empty()) << name;
      EXPECT_EQ(r.Message.rfind("Error in EPD string ", 0), 0u) << name;
      continue;
    }
    struct TCount : TRecordSink {
      void Add(const TRecord&) override { ++Records; }
      void Finish(const std::vector<std::string>&) override {}
      std::size_t Records = 0;
    } count;
    ConvertEPDText(text, job, count);
    if (count.Records == 0) continue;
    EXPECT_EQ(bq::testing::RTFFault(r.Document), "") << name;
    const std::vector<std::string> pictures = Pictures(r.Document);
    ASSERT_EQ(pictures.size(), count.Records) << name;
    for (const std::string& png : pictures) ASSERT_GT(test::DecodePng(png).Width, 0) << name;
    records += static_cast<long long>(pictures.size());
  }
  EXPECT_GT(records, 1000);
}

}  // namespace
}  // namespace bq
