#pragma once
// Test helpers for the picture writers: records of the bundled suite,
// decoding PNG, running the command-line tools that read our files, and
// glyph tiles drawn by FreeType alone, to tell which glyph stands in a
// square of a picture without trusting the writer's own drawing.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "convert/driver.h"
#include "support/textcodec.h"

namespace bq::test {

inline const TChessFontInfoMan& ShippedFonts() {
  static const TChessFontInfoMan fonts(std::string(BQ_SOURCE_DIR) + "/data/ChsFonts.ini", nullptr);
  return fonts;
}

// The EPD lines of examples/bk.epd.
inline std::vector<std::string> BkLines() {
  std::ifstream in(std::string(BQ_SOURCE_DIR) + "/examples/bk.epd", std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

// A record as the converter built it, with its own copy of the position.
struct TKeptRecord {
  explicit TKeptRecord(const TRecord& rec) : Position(*rec.Position), Record(rec) {
    Record.Position = &Position;
  }
  TKeptRecord(const TKeptRecord& other) : TKeptRecord(other.Record) {}
  TPosition Position;
  TRecord Record;
};

// Every record of `text`, converted for `job`.
inline std::vector<TKeptRecord> Records(const std::string& text, const TConvertJob& job) {
  struct TKeep : TRecordSink {
    void Add(const TRecord& rec) override { Kept.emplace_back(rec); }
    void Finish(const std::vector<std::string>&) override {}
    std::vector<TKeptRecord> Kept;
  } keep;
  EXPECT_TRUE(ConvertEPDText(text, job, keep).Ok);
  return keep.Kept;
}

// The settings of bk.epd's pictures: Chess Merida with coordinates, id and
// bm above, the mark, and the caption "No. n".
inline TConvertSettings BkSettings() {
  TConvertSettings s;
  s.DiagFont = "Chess Merida";
  s.TextFont = "DejaVu Sans";
  s.ShowCoords = true;
  s.Operations = "id,bm";
  s.Layout.MoverMark = true;
  s.Layout.Caption = "No. {n}";
  return s;
}

// The first `count` lines of bk.epd, each with `extra` appended.
inline std::string BkText(std::size_t count, const std::string& extra = "") {
  std::string text;
  const std::vector<std::string> lines = BkLines();
  for (std::size_t k = 0; k < count && k < lines.size(); ++k) text += lines[k] + extra + "\n";
  return text;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Standard output of a shell command; its exit status in `status`.
inline std::string Run(const std::string& command, int* status = nullptr) {
  std::string out;
  std::FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int st = ::pclose(p);
  if (status) *status = st;
  return out;
}

// A decoded picture as ink coverage (0 paper .. 255 ink) and alpha.
struct TDecoded {
  int Width = 0, Height = 0;
  std::vector<unsigned char> Ink, Alpha;
  std::vector<std::uint32_t> Argb;  // premultiplied, as Cairo holds them
  int InkAt(int x, int y) const { return Ink[static_cast<std::size_t>(y * Width + x)]; }
  // A channel (16 red, 8 green, 0 blue) of the pixel, on white.
  int Channel(int x, int y, int shift) const {
    const std::uint32_t px = Argb[static_cast<std::size_t>(y * Width + x)];
    return static_cast<int>((px >> shift & 0xFF) + 255 - (px >> 24));
  }
};

inline cairo_status_t ReadFromString(void* closure, unsigned char* data, unsigned int length) {
  auto* rest = static_cast<std::string_view*>(closure);
  if (rest->size() < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, rest->data(), length);
  rest->remove_prefix(length);
  return CAIRO_STATUS_SUCCESS;
}

// Decodes with Cairo's PNG reader; ink is darkness times opacity.
inline TDecoded DecodePng(const std::string& bytes) {
  std::string_view rest(bytes);
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(&ReadFromString, &rest);
  TDecoded d;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(s);
    d.Width = cairo_image_surface_get_width(s);
    d.Height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        std::uint32_t px;
        std::memcpy(&px, data + y * stride + 4 * x, 4);
        const int a = static_cast<int>(px >> 24), g = static_cast<int>(px >> 8 & 0xFF);
        // Premultiplied: g is grey times alpha; ink = alpha - g.
        d.Ink.push_back(static_cast<unsigned char>(a - g));
        d.Alpha.push_back(static_cast<unsigned char>(a));
        d.Argb.push_back(px);
      }
    }
  }
  cairo_surface_destroy(s);
  return d;
}

// Square tiles of a font's glyphs drawn by FreeType, and the glyph code
// whose tile is nearest to a square of a picture.
class TGlyphTiles {
 public:
  TGlyphTiles(const std::string& family, int square) : square_(square) {
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcChar8* file = nullptr;
    if (match) FcPatternGetString(match, FC_FILE, 0, &file);
    FT_Init_FreeType(&lib_);
    if (file) FT_New_Face(lib_, reinterpret_cast<const char*>(file), 0, &face_);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
    if (face_) {
      FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
      FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(square));
      baseline_ = static_cast<int>(std::lround(
          square * face_->ascender / static_cast<double>(face_->ascender - face_->descender)));
    }
  }
  ~TGlyphTiles() {
    if (face_) FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }
  bool Ok() const { return face_ != nullptr; }

  // The code among `codes` whose tile differs least from the square with
  // its top left corner at (x, y).
  unsigned char Nearest(const TDecoded& pic, int x, int y, const std::string& codes) {
    unsigned char best = 0;
    long bestDiff = -1;
    for (const char c : codes) {
      const std::vector<unsigned char>& tile = Tile(static_cast<unsigned char>(c));
      long diff = 0;
      for (int ty = 0; ty < square_; ++ty)
        for (int tx = 0; tx < square_; ++tx)
          diff += std::abs(pic.InkAt(x + tx, y + ty) -
                           tile[static_cast<std::size_t>(ty * square_ + tx)]);
      if (bestDiff < 0 || diff < bestDiff) {
        bestDiff = diff;
        best = static_cast<unsigned char>(c);
      }
    }
    return best;
  }

 private:
  const std::vector<unsigned char>& Tile(unsigned char code) {
    auto [it, added] = tiles_.try_emplace(code);
    if (!added) return it->second;
    std::vector<unsigned char>& tile = it->second;
    tile.assign(static_cast<std::size_t>(square_ * square_), 0);
    if (FT_Load_Char(face_, Windows1252Char(code), FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
      return tile;
    const FT_Bitmap& bm = face_->glyph->bitmap;
    for (unsigned row = 0; row < bm.rows; ++row) {
      for (unsigned col = 0; col < bm.width; ++col) {
        const int tx = face_->glyph->bitmap_left + static_cast<int>(col);
        const int ty = baseline_ - face_->glyph->bitmap_top + static_cast<int>(row);
        if (tx >= 0 && ty >= 0 && tx < square_ && ty < square_)
          tile[static_cast<std::size_t>(ty * square_ + tx)] = bm.buffer[row * bm.pitch + col];
      }
    }
    return tile;
  }

  int square_;
  int baseline_ = 0;
  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
  std::map<unsigned char, std::vector<unsigned char>> tiles_;
};

// Every glyph code of a glyph map's squares, frame and coordinates.
inline std::string AllCodes(const ChessFontInfoRec& g) {
  std::string codes;
  const auto add = [&](std::int32_t c) {
    if ((c & 0xFF) != 0 && codes.find(static_cast<char>(c & 0xFF)) == std::string::npos)
      codes.push_back(static_cast<char>(c & 0xFF));
  };
  for (const auto b : g.Blank) add(b);
  for (const auto& piece : g.Pieces)
    for (const auto& colour : piece)
      for (const auto c : colour) add(c);
  for (const auto c : {g.BorderNW, g.BorderN, g.BorderNE, g.BorderW, g.BorderE, g.BorderSW,
                       g.BorderS, g.BorderSE, g.CoordBorderNW, g.CoordBorderSW})
    add(c);
  for (const auto c : g.WestCoords) add(c);
  for (const auto c : g.SouthCoords) add(c);
  return codes;
}

// The glyph codes a picture shows, square by square, `rows` x `columns`.
inline std::vector<std::string> ReadBoard(const TDecoded& pic, TGlyphTiles& tiles, int square,
                                          std::size_t rows, std::size_t columns,
                                          const std::string& codes) {
  std::vector<std::string> seen(rows);
  for (std::size_t r = 0; r < rows; ++r)
    for (std::size_t c = 0; c < columns; ++c)
      seen[r].push_back(static_cast<char>(
          tiles.Nearest(pic, static_cast<int>(c) * square, static_cast<int>(r) * square, codes)));
  return seen;
}

}  // namespace bq::test
