#include "convert/diagram.h"

#include <algorithm>
#include <cstring>

#include "fonts/rtf.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BQ_SHUFFLE_BOARD 1
#endif

namespace bq {

std::int32_t GetSquareGlyph(std::uint8_t piece, std::uint8_t colour, int file, int rank,
                            const ChessFontInfoRec& glyphs) {
  const int squareColour = (file + rank) % 2 == 0 ? 1 : 0;
  if (piece == pNone) return glyphs.Blank[squareColour];
  // The record never holds other codes; refuse them rather than index past the map.
  if (piece > pKing || colour > cBlack) return 0;
  return glyphs.Pieces[piece][colour][squareColour];
}

namespace {

// A cell's code in the glyph tables. Cutting colour and piece keeps what
// GetSquareGlyph draws: piece 7, and colours 2 and 3 with a piece, draw
// nothing; an empty cell draws the blank whatever its colour.
inline std::size_t CodeOf(TCell c) {
  return std::min<std::size_t>(c.Colour, 3) * 8 + std::min<std::size_t>(c.Piece, 7);
}

// The escaped text of one glyph. A glyph whose low byte is 0 draws nothing:
// a NUL would cut the document short in most readers.
std::string GlyphText(std::int32_t glyph) {
  const auto c = static_cast<char>(glyph & 0xFF);
  return c == 0 ? std::string() : EscapeRTFGlyphs(std::string_view(&c, 1));
}

// The frame's texts before each rank line's squares and after the last
// (see TFrame). Glyphs escape one by one, as a whole line would.
std::array<std::string, 9> FrameTexts(const ChessFontInfoRec& g, bool coords) {
  const bool border = g.FullBorder;
  std::array<std::string, 9> texts;
  if (border) {
    texts[0] = GlyphText(coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) texts[0] += GlyphText(g.BorderN);
    texts[0] += GlyphText(g.BorderNE) + "\r\n";
  }
  for (std::size_t row = 0; row < 8; ++row) {
    texts[row] += "\\par " + GlyphText(coords ? g.WestCoords[7 - row] : border ? g.BorderW : 0);
    texts[row + 1] = (border ? GlyphText(g.BorderE) : "") + "\r\n";
  }
  if (border) {
    texts[8] += "\\par " + GlyphText(coords ? g.CoordBorderSW : g.BorderSW);
    for (std::size_t f = 0; f < 8; ++f)
      texts[8] += GlyphText(coords ? g.SouthCoords[f] : g.BorderS);
    texts[8] += GlyphText(g.BorderSE);
  }
  return texts;
}

// Copies n bytes in blocks of 16; source and target have room for the last.
inline char* PutSlice(char* p, const char* s, std::size_t n) {
  for (std::size_t i = 0; i < n; i += 16) std::memcpy(p + i, s + i, 16);
  return p + n;
}

// A square's text: copied whole (the writer leaves room behind it), the
// size in the last byte.
inline char* PutGlyph(char* p, const std::array<char, 8>& text) {
  std::memcpy(p, text.data(), 8);
  return p + text[7];
}

}  // namespace

TDiagramWriter::TDiagramWriter(const ChessFontInfoRec& g, bool showCoords) {
#ifdef BQ_SHUFFLE_BOARD
  shuffle_ = __builtin_cpu_supports("avx");
#endif
  std::size_t longest = 0;
  for (std::size_t dark = 0; dark < 2; ++dark) {
    for (std::size_t code = 0; code < 32; ++code) {
      // GetSquareGlyph on a square of that colour: a1 is dark, a2 light.
      const std::string text = GlyphText(GetSquareGlyph(static_cast<std::uint8_t>(code % 8),
                                                        static_cast<std::uint8_t>(code / 8), 1,
                                                        2 - static_cast<int>(dark), g));
      std::copy(text.begin(), text.end(), texts_[dark][code].begin());
      texts_[dark][code][7] = static_cast<char>(text.size());
      longest = std::max(longest, text.size());
      if (code > 16) continue;
      bytes_[dark][(code + 15) % 16] = text.size() == 1 ? text[0] : '\0';
      shuffle_ = shuffle_ && (text.size() == 1 || code % 8 == 7);  // piece 7 never is read
    }
  }
  const std::array<std::string, 9> texts = FrameTexts(g, showCoords && g.CoordinatesPossible);
  std::size_t end = 0;  // 271 at most
  for (std::size_t i = 0; i < 9; ++i) {
    std::copy(texts[i].begin(), texts[i].end(),
              frame_.Text.begin() + static_cast<std::ptrdiff_t>(end));
    end += texts[i].size();
    frame_.Ends[i] = static_cast<std::uint16_t>(end);
    end += 8;
  }
  maxBoard_ = frame_.Ends[8] - 64 + 64 * longest;
}

// Cells no reader writes, glyphs that escape, or no byte shuffles: square
// by square. Out of line, so that the common way pays nothing for it.
__attribute__((noinline)) char* TDiagramWriter::WriteGlyphs(char* p, const TPositionCore& core,
                                                            const TFrame& frame) const {
  std::size_t from = 0;
  for (std::size_t row = 0; row < 8; ++row) {
    p = PutSlice(p, frame.Text.data() + from, frame.Ends[row] - from);
    const int rank = 8 - static_cast<int>(row);
    // Square colours alternate from the a-file, dark on odd ranks.
    const auto& first = texts_[rank % 2];
    const auto& second = texts_[1 - rank % 2];
    for (int file = 1; file <= 8; file += 2) {
      p = PutGlyph(p, first[CodeOf(core.Board[static_cast<std::size_t>(CellOf(file, rank))])]);
      p = PutGlyph(p, second[CodeOf(core.Board[static_cast<std::size_t>(CellOf(file + 1, rank))])]);
    }
    from = frame.Ends[row] + 8u;
  }
  return PutSlice(p, frame.Text.data() + from, frame.Ends[8] - from);
}

#ifdef BQ_SHUFFLE_BOARD
// The glyph bytes of sixteen squares at a time. Each cell, its colour and
// piece cut to 3 and 7, becomes its code colour * 8 + piece; adding 111
// with saturation sets bit 7 of codes above 16 (cells no reader writes),
// which the shuffle reads as 0, and moves the others to (code + 15) % 16,
// where 16 (empty, colour 2) meets 0. A board with a square that has no
// one-byte glyph goes square by square.
__attribute__((target("avx"))) char* TDiagramWriter::WriteShuffled(char* p,
                                                                   const TPositionCore& core,
                                                                   const TFrame& frame) const {
  static_assert(sizeof(TCell) == 2 && sizeof core.Board == 128);
  const auto* const cells = reinterpret_cast<const char*>(core.Board.data());
  const auto load = [](const void* s) { return _mm_loadu_si128(static_cast<const __m128i*>(s)); };
  const __m128i limits = _mm_set1_epi16(3 | 7 << 8), weights = _mm_set1_epi16(8 | 1 << 8);
  const __m128i light = load(bytes_[0].data()), dark = load(bytes_[1].data());
  // Two files of ranks 1..8: files a, c, e, g start dark, b, d, f, h light.
  const __m128i darkSquares = _mm_setr_epi8(-1, 0, -1, 0, -1, 0, -1, 0, 0, -1, 0, -1, 0, -1, 0, -1);
  // Into pairs of squares of one rank: a8 b8 a7 b7 ... a1 b1.
  const __m128i pairs = _mm_setr_epi8(7, 15, 6, 14, 5, 13, 4, 12, 3, 11, 2, 10, 1, 9, 0, 8);
  __m128i files[4], least = _mm_set1_epi8(-1);
  for (int k = 0; k < 4; ++k) {
    const __m128i a = _mm_maddubs_epi16(_mm_min_epu8(load(cells + 32 * k), limits), weights);
    const __m128i b = _mm_maddubs_epi16(_mm_min_epu8(load(cells + 32 * k + 16), limits), weights);
    const __m128i codes = _mm_adds_epu8(_mm_packus_epi16(a, b), _mm_set1_epi8(111));
    const __m128i bytes =
        _mm_blendv_epi8(_mm_shuffle_epi8(light, codes), _mm_shuffle_epi8(dark, codes), darkSquares);
    least = _mm_min_epu8(least, bytes);
    files[k] = _mm_shuffle_epi8(bytes, pairs);
  }
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0)
    return WriteGlyphs(p, core, frame);
  // Files into ranks: a..d and e..h of ranks 8 to 5, then of 4 to 1.
  const __m128i ad8 = _mm_unpacklo_epi16(files[0], files[1]);
  const __m128i eh8 = _mm_unpacklo_epi16(files[2], files[3]);
  const __m128i ad4 = _mm_unpackhi_epi16(files[0], files[1]);
  const __m128i eh4 = _mm_unpackhi_epi16(files[2], files[3]);
  const __m128i rows[4] = {_mm_unpacklo_epi32(ad8, eh8), _mm_unpackhi_epi32(ad8, eh8),
                           _mm_unpacklo_epi32(ad4, eh4), _mm_unpackhi_epi32(ad4, eh4)};
  // Frames take 120 to 271 bytes: the first 192 go without a loop.
  const std::size_t size = frame.Ends[8];
  auto* const to = reinterpret_cast<__m256i*>(p);
  const auto* const from = reinterpret_cast<const __m256i*>(frame.Text.data());
  for (std::size_t i = 0; i < 6; ++i) _mm256_storeu_si256(to + i, _mm256_loadu_si256(from + i));
  for (std::size_t i = 6; i < (size + 31) / 32; ++i)
    _mm256_storeu_si256(to + i, _mm256_loadu_si256(from + i));
  for (std::size_t k = 0; k < 4; ++k) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p + frame.Ends[2 * k]), rows[k]);
    _mm_storeh_pi(reinterpret_cast<__m64*>(p + frame.Ends[2 * k + 1]), _mm_castsi128_ps(rows[k]));
  }
  return p + size;
}
#endif

char* TDiagramWriter::WriteBoard(char* p, const TPositionCore& core) const {
#ifdef BQ_SHUFFLE_BOARD
  if (shuffle_) return WriteShuffled(p, core, frame_);
#endif
  return WriteGlyphs(p, core, frame_);
}

void TDiagramWriter::Append(std::string& out, const TPositionCore& core, std::string_view head,
                            std::string_view tail) const {
  // One resize to the most the record can take (plus room for the block
  // copies), then the text goes in by pointer and the string is cut back.
  const std::size_t old = out.size();
  out.resize(old + head.size() + 1 + maxBoard_ + 4 + tail.size() + 2 + kSlack);
  char* p = std::copy(head.begin(), head.end(), out.data() + old);
  *p++ = ' ';
  p = WriteBoard(p, core);
  for (const std::string_view text : {std::string_view("\\par"), tail, std::string_view("\r\n")})
    p = std::copy(text.begin(), text.end(), p);
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void AppendDiagram(std::string& out, const TPosition& rec, std::string_view head,
                   std::string_view tail, bool showCoords, const ChessFontInfoRec& glyphs) {
  TDiagramWriter(glyphs, showCoords).Append(out, rec.Core, head, tail);
}

std::string WriteDiagram(const TPosition& rec, std::string_view head, std::string_view tail,
                         bool showCoords, const ChessFontInfoRec& glyphs) {
  std::string out;
  AppendDiagram(out, rec, head, tail, showCoords, glyphs);
  return out;
}

}  // namespace bq
