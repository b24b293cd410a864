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

// The text of one glyph, escaped for RTF or raw. A glyph whose low byte is
// 0 draws nothing: a NUL would cut the document short in most readers.
std::string GlyphText(std::int32_t glyph, bool raw) {
  const auto c = static_cast<char>(glyph & 0xFF);
  if (c == 0) return {};
  return raw ? std::string(1, c) : EscapeRTFGlyphs(std::string_view(&c, 1));
}

struct TFrameStyle {
  bool Coords = false, Raw = false;
  TDiagramFlow Flow = TDiagramFlow::Plain;
  std::string Pitch = {};  // with the mark: the exact line pitch
  int MarkRank = 0;        // the rank whose line carries the mark, 0 for none
  std::string Mark = {};
};

// The frame's texts before each rank line's squares and after the last
// (see TFrame). Glyphs escape one by one, as a whole line would. Raw lines
// end with a NUL, which no glyph is.
std::array<std::string, 9> FrameTexts(const ChessFontInfoRec& g, const TFrameStyle& s,
                                      bool fromBlack) {
  const auto glyph = [&](std::int32_t code) { return GlyphText(code, s.Raw); };
  const bool border = g.FullBorder, coords = s.Coords;
  const std::string open = s.Raw ? "" : "\\par ", lineEnd = s.Raw ? std::string(1, '\0') : "\r\n";
  const std::string lastOpen =
      s.Flow == TDiagramFlow::KeepWhole ? open + "\\pard " + s.Pitch : open;
  std::array<std::string, 9> texts;
  texts[0] = s.Pitch;
  if (border) {
    texts[0] += glyph(coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) texts[0] += glyph(g.BorderN);
    texts[0] += glyph(g.BorderNE) + lineEnd;
  }
  for (std::size_t row = 0; row < 8; ++row) {
    const std::size_t rank = fromBlack ? row + 1 : 8 - row;
    texts[row] += row == 7 && !border ? lastOpen : open;
    texts[row] += glyph(coords ? g.WestCoords[rank - 1] : border ? g.BorderW : 0);
    texts[row + 1] = border ? glyph(g.BorderE) : "";
    texts[row + 1] += (static_cast<int>(rank) == s.MarkRank ? s.Mark : "") + lineEnd;
  }
  if (border) {
    texts[8] += lastOpen + glyph(coords ? g.CoordBorderSW : g.BorderSW);
    for (std::size_t i = 0; i < 8; ++i)
      texts[8] += glyph(coords ? g.SouthCoords[fromBlack ? 7 - i : i] : g.BorderS);
    texts[8] += glyph(g.BorderSE) + (s.Raw ? lineEnd : "");
  }
  return texts;
}

// Fills the glyph tables (see TGlyphs) and returns the most the 64 squares
// take.
template <typename T>
std::size_t FillGlyphs(T& glyphs, const ChessFontInfoRec& g, bool raw) {
#ifdef BQ_SHUFFLE_BOARD
  glyphs.Shuffle = __builtin_cpu_supports("avx");
#endif
  std::size_t squares = 0;
  for (std::size_t dark = 0; dark < 2; ++dark) {
    for (std::size_t code = 0; code < 32; ++code) {
      // GetSquareGlyph on a square of that colour: a1 is dark, a2 light.
      const std::string text = GlyphText(
          GetSquareGlyph(static_cast<std::uint8_t>(code % 8), static_cast<std::uint8_t>(code / 8),
                         1, 2 - static_cast<int>(dark), g),
          raw);
      std::copy(text.begin(), text.end(), glyphs.Texts[dark][code].begin());
      glyphs.Texts[dark][code][7] = static_cast<char>(text.size());
      squares = std::max(squares, 64 * text.size());
      if (code > 16) continue;
      glyphs.Bytes[dark][(code + 15) % 16] = text.size() == 1 ? text[0] : '\0';
      // Piece 7 is never read.
      glyphs.Shuffle = glyphs.Shuffle && (text.size() == 1 || code % 8 == 7);
    }
  }
  return squares;
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

TDiagramWriter::TDiagramWriter(const ChessFontInfoRec& g, const TDiagramLayout& layout)
    : mark_(layout.MoverMark), border_(g.FullBorder) {
  FillGlyphs(raw_, g, true);
  const std::size_t squares = FillGlyphs(rtf_, g, false);  // the most the 64 squares take
  TFrameStyle style{.Coords = layout.ShowCoords && g.CoordinatesPossible, .Flow = layout.Flow};
  if (mark_) {
    style.Pitch = "\\sl" + std::to_string(-20LL * layout.DiagFontSize) + "\\slmult0 ";
    end_ += layout.Flow == TDiagramFlow::InCell ? "\\pard\\intbl" : "\\pard";
  }
  // A frame part takes 96 bytes at most, the frame with the squares 467.
  const auto lay = [&](TFrame& frame, bool fromBlack) {
    const std::array<std::string, 9> texts = FrameTexts(g, style, fromBlack);
    std::size_t end = 0;
    for (std::size_t i = 0; i < 9; ++i) {
      std::copy(texts[i].begin(), texts[i].end(),
                frame.Text.begin() + static_cast<std::ptrdiff_t>(end));
      end += texts[i].size();
      frame.Ends[i] = static_cast<std::uint16_t>(end);
      end += 8;
    }
    return end - 8 - 64;  // the text without the squares
  };
  for (std::size_t view = 0; view < 4; ++view) {
    const bool blackMoves = view % 2 == 1;
    style.MarkRank = mark_ ? HomeRank(blackMoves ? cBlack : cWhite) : 0;
    style.Mark = "{\\f0  \\u" + std::to_string(kMoverMarks[blackMoves].Code) + "?}";
    maxBoard_ = std::max(maxBoard_, lay(frames_[view], view >= 2) + squares);
  }
  style = TFrameStyle{.Coords = style.Coords, .Raw = true};  // no words and no mark
  for (const bool fromBlack : {false, true}) lay(rawFrames_[fromBlack], fromBlack);
}

// Cells no reader writes, glyphs that escape, or no byte shuffles: square
// by square.
char* TDiagramWriter::WriteGlyphs(char* p, const TPositionCore& core, bool fromBlack,
                                  const TGlyphs& glyphs, const TFrame& frame,
                                  const TShades* shades) {
  // A shaded square's glyph in a group of its own, so that the shading
  // ends with it.
  const auto put = [&](const std::array<char, 8>& glyph, int cell) {
    const std::uint8_t shade = shades ? (*shades)[static_cast<std::size_t>(cell)] : 0;
    if (shade == 0) return PutGlyph(p, glyph);
    const std::string head = "{\\chshdng0\\chcbpat" + std::to_string(shade) + " ";
    p = std::copy(head.begin(), head.end(), p);
    p = PutGlyph(p, glyph);
    *p++ = '}';
    return p;
  };
  const std::ptrdiff_t step = fromBlack ? -8 : 8;  // cells from one square drawn to the next
  std::size_t from = 0;
  for (std::size_t row = 0; row < 8; ++row) {
    p = PutSlice(p, frame.Text.data() + from, frame.Ends[row] - from);
    const int rank = fromBlack ? static_cast<int>(row) + 1 : 8 - static_cast<int>(row);
    const int file = fromBlack ? 8 : 1;
    int at = CellOf(file, rank);
    const TCell* cell = &core.Board[static_cast<std::size_t>(at)];
    // Square colours alternate from the first drawn, dark when file + rank is even.
    const auto& first = glyphs.Texts[(file + rank + 1) % 2];
    const auto& second = glyphs.Texts[(file + rank) % 2];
    for (int i = 0; i < 8; i += 2, cell += 2 * step, at += static_cast<int>(2 * step)) {
      p = put(first[CodeOf(cell[0])], at);
      p = put(second[CodeOf(cell[step])], at + static_cast<int>(step));
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
template <bool FromBlack>
__attribute__((target("avx"))) char* TDiagramWriter::WriteShuffled(char* p,
                                                                   const TPositionCore& core,
                                                                   const TGlyphs& glyphs,
                                                                   const TFrame& frame) {
  static_assert(sizeof(TCell) == 2 && sizeof core.Board == 128);
  const auto* const cells = reinterpret_cast<const char*>(core.Board.data());
  const auto load = [](const void* s) { return _mm_loadu_si128(static_cast<const __m128i*>(s)); };
  const __m128i limits = _mm_set1_epi16(3 | 7 << 8), weights = _mm_set1_epi16(8 | 1 << 8);
  const __m128i light = load(glyphs.Bytes[0].data()), dark = load(glyphs.Bytes[1].data());
  // Two files of ranks 1..8: files a, c, e, g start dark, b, d, f, h light.
  const __m128i darkSquares = _mm_setr_epi8(-1, 0, -1, 0, -1, 0, -1, 0, 0, -1, 0, -1, 0, -1, 0, -1);
  // Into pairs of squares of one rank: a8 b8 a7 b7 ... a1 b1, from Black
  // h1 g1 h2 g2 ... h8 g8.
  const __m128i pairs = FromBlack
                            ? _mm_setr_epi8(8, 0, 9, 1, 10, 2, 11, 3, 12, 4, 13, 5, 14, 6, 15, 7)
                            : _mm_setr_epi8(7, 15, 6, 14, 5, 13, 4, 12, 3, 11, 2, 10, 1, 9, 0, 8);
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
    return WriteGlyphs(p, core, FromBlack, glyphs, frame);
  // Files into ranks: a..d and e..h of ranks 8 to 5, then of 4 to 1; from
  // Black h..e and d..a of ranks 1 to 4, then of 5 to 8.
  const __m128i a = files[FromBlack ? 3 : 0], b = files[FromBlack ? 2 : 1];
  const __m128i c = files[FromBlack ? 1 : 2], d = files[FromBlack ? 0 : 3];
  const __m128i ad8 = _mm_unpacklo_epi16(a, b), eh8 = _mm_unpacklo_epi16(c, d);
  const __m128i ad4 = _mm_unpackhi_epi16(a, b), eh4 = _mm_unpackhi_epi16(c, d);
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

char* TDiagramWriter::Write(char* p, const TPositionCore& core, bool fromBlack,
                            const TGlyphs& glyphs, const TFrame& frame) {
#ifdef BQ_SHUFFLE_BOARD
  if (glyphs.Shuffle)
    return fromBlack ? WriteShuffled<true>(p, core, glyphs, frame)
                     : WriteShuffled<false>(p, core, glyphs, frame);
#endif
  return WriteGlyphs(p, core, fromBlack, glyphs, frame);
}

char* TDiagramWriter::WriteBoard(char* p, const TPositionCore& core, bool fromBlack) const {
  const bool blackMoves = mark_ && core.SideToMove == cBlack;
  return Write(p, core, fromBlack, rtf_, frames_[2 * fromBlack + blackMoves]);
}

char* TDiagramWriter::WriteShadedBoard(char* p, const TPositionCore& core, bool fromBlack,
                                       const TShades& shades) const {
  const bool blackMoves = mark_ && core.SideToMove == cBlack;
  return WriteGlyphs(p, core, fromBlack, rtf_, frames_[2 * fromBlack + blackMoves], &shades);
}

TBoardRows TDiagramWriter::Rows(const TPositionCore& core, bool fromBlack) const {
  // Raw glyphs take a byte or none: the text and its block copies fit in
  // the room of the frame.
  const TFrame& frame = rawFrames_[fromBlack];
  std::string text(frame.Text.size(), '\0');
  text.resize(
      static_cast<std::size_t>(Write(text.data(), core, fromBlack, raw_, frame) - text.data()));
  TBoardRows board;
  board.FromBlack = fromBlack;
  for (std::size_t begin = 0, end; begin < text.size(); begin = end + 1) {
    end = text.find('\0', begin);
    board.Rows.emplace_back(text, begin, end - begin);
  }
  if (mark_) {
    board.MarkBlack = core.SideToMove == cBlack;
    const int rank = HomeRank(board.MarkBlack ? cBlack : cWhite);
    board.MarkRow = (border_ ? 1 : 0) + (fromBlack ? rank - 1 : 8 - rank);
  }
  return board;
}

}  // namespace bq
