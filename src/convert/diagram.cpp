#include "convert/diagram.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "fonts/rtf.h"
#include "support/cpu.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BQ_VECTOR_BOARD 1
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

// The escaped text of one glyph. A glyph whose low byte is 0 has nothing to
// draw: writing a NUL would cut the document short in most readers.
std::string GlyphText(std::int32_t glyph) {
  const auto c = static_cast<char>(glyph & 0xFF);
  std::string text;
  if (c != 0) AppendRTFGlyphs(text, std::string_view(&c, 1));
  return text;
}

template <typename T>
void Set(T& piece, std::string_view text) {
  // Escaping turns one byte into at most four; frame lines have ten glyphs.
  const std::size_t n = std::min(text.size(), piece.Bytes.size());
  for (std::size_t i = 0; i < n; ++i) piece.Bytes[i] = text[i];
  piece.Size = static_cast<std::uint8_t>(n);
}

// Copies a padded text as one block and advances by its real size.
template <std::size_t N, typename T>
inline char* Put(char* p, const T& piece) {
  static_assert(N <= sizeof(piece.Bytes));
  std::memcpy(p, piece.Bytes.data(), N);
  return p + piece.Size;
}

inline char* Put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

}  // namespace

namespace {

// A square's escaped glyph with its size in the top byte (see squares_).
std::uint64_t PackedGlyph(std::string_view text) {
  const std::size_t n = std::min<std::size_t>(text.size(), 4);
  std::uint64_t packed = static_cast<std::uint64_t>(n) << 56;
  for (std::size_t i = 0; i < n; ++i)
    packed |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  return packed;
}

inline char* PutGlyph(char* p, std::uint64_t packed) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &packed, 8);  // the writer leaves room behind the text
  } else {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(packed >> (8 * i));
  }
  return p + (packed >> 56);
}

}  // namespace

TDiagramWriter::TDiagramWriter(const ChessFontInfoRec& g, bool showCoords)
    : squares_(2 * kCellValues) {
  const bool coords = showCoords && g.CoordinatesPossible;
  const bool border = g.FullBorder;
  for (std::size_t sq = 0; sq < 2; ++sq) {
    for (std::size_t value = 0; value < kCellValues; ++value) {
      const auto colour = static_cast<std::uint8_t>(value & 0xFF);
      const auto piece = static_cast<std::uint8_t>(value >> 8);
      // GetSquareGlyph of a square of this colour: a1 (1, 1) is dark.
      const std::int32_t glyph = GetSquareGlyph(piece, colour, 1, sq == 1 ? 1 : 2, g);
      squares_[sq * kCellValues + value] = PackedGlyph(GlyphText(glyph));
    }
  }
  // A glyph is never the byte 0, so 0 can stand for "draws nothing".
  if (std::all_of(squares_.begin(), squares_.end(),
                  [](std::uint64_t packed) { return packed >> 56 <= 1; })) {
    squareBytes_.resize(squares_.size());
    for (std::size_t i = 0; i < squares_.size(); ++i)
      squareBytes_[i] = static_cast<char>(squares_[i] >> 56 == 1 ? squares_[i] & 0xFF : 0);
  }
  if (!squareBytes_.empty() && std::endian::native == std::endian::little) {
    readBoardBytes_ = true;
    for (std::size_t sq = 0; sq < 2; ++sq) {
      const char* const bytes = squareBytes_.data() + sq * kCellValues;
      for (std::size_t colour = 0; colour < 4; ++colour) {
        readBoardBytes_ = readBoardBytes_ && bytes[colour] != 0;
        for (std::size_t piece = pPawn; colour <= cBlack && piece <= pKing; ++piece)
          readBoardBytes_ = readBoardBytes_ && bytes[colour | piece << 8] != 0;
      }
    }
  }
#ifdef BQ_VECTOR_BOARD
  if (readBoardBytes_ && HasSsse3()) {
    vectorBoard_ = true;
    for (std::size_t colour = cWhite; colour <= cBlack; ++colour) {
      for (std::size_t piece = pNone; piece <= pKing; ++piece) {
        const std::size_t value = piece == pNone ? cNone : colour | piece << 8;
        lightBytes_[colour * 8 + piece] = squareBytes_[value];
        darkBytes_[colour * 8 + piece] = squareBytes_[kCellValues + value];
      }
    }
  }
#endif
  std::string text;
  if (border) {
    text = GlyphText(coords ? g.CoordBorderNW : g.BorderNW);
    for (int f = 0; f < 8; ++f) text += GlyphText(g.BorderN);
    text += GlyphText(g.BorderNE) + "\r\n";
    Set(top_, text);
  }
  for (int rank = 1; rank <= 8; ++rank) {
    text = "\\par ";
    if (coords)
      text += GlyphText(g.WestCoords[rank - 1]);
    else if (border)
      text += GlyphText(g.BorderW);
    Set(rowHead_[rank - 1], text);
  }
  Set(rowTail_, (border ? GlyphText(g.BorderE) : std::string()) + "\r\n");
  if (border) {
    text = "\\par " + GlyphText(coords ? g.CoordBorderSW : g.BorderSW);
    for (int f = 0; f < 8; ++f) text += GlyphText(coords ? g.SouthCoords[f] : g.BorderS);
    text += GlyphText(g.BorderSE);
    Set(bottom_, text);
  }
  if (readBoardBytes_) {
    const auto text = [](const TPiece& piece) {
      return std::string(piece.Bytes.data(), piece.Size);
    };
    std::array<std::string, 9> joints;
    joints[0] = text(top_) + text(rowHead_[7]);
    for (std::size_t i = 1; i < 8; ++i) joints[i] = text(rowTail_) + text(rowHead_[7 - i]);
    joints[8] = text(rowTail_) + text(bottom_);
    for (std::size_t i = 0; i < 9; ++i) {
      const std::size_t room = i == 0 || i == 8 ? joints_[i].Bytes.size() : 16;
      if (joints[i].size() > room) readBoardBytes_ = false;
      Set(joints_[i], joints[i]);
    }
  }
  std::size_t rows = 0;
  for (const TPiece& head : rowHead_) rows += head.Size;
  // Every square draws as at most this many bytes (one with all shipped
  // fonts): the room a record takes shrinks with it.
  std::size_t glyph = 0;
  for (const std::uint64_t packed : squares_) glyph = std::max<std::size_t>(glyph, packed >> 56);
  maxBoard_ = top_.Size + rows + 8 * (8 * glyph + rowTail_.Size) + bottom_.Size;
}

char* TDiagramWriter::WriteBoard(char* p, const TPositionCore& core) const {
  // Cells the record never holds (a colour above 3 or a piece above 7) have
  // no entry in the table: one test of the whole board sends such a board
  // the slow way, and the others need no test per square.
  bool plain = std::endian::native == std::endian::little;
  if (plain) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof core.Board; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, reinterpret_cast<const char*>(core.Board.data()) + i, 8);
      bits |= word;
    }
    plain = (bits & 0xF8FCF8FCF8FCF8FCull) == 0;
  }
  if (!plain) return WriteBoardChecked(p, core);

  char* const begin = p;
  p = Put<sizeof(top_.Bytes)>(p, top_);
  if (!squareBytes_.empty()) {
    const char* const light = squareBytes_.data();
    const char* const dark = light + kCellValues;
    std::uint64_t zeros = 0;
    const auto row = [&](std::size_t rank, const char* odd, const char* even) {
      p = Put<16>(p, rowHead_[rank - 1]);
      const TCell* cell = &core.Board[rank - 1];
      for (std::size_t file = 0; file < 8; file += 2) {
        std::uint16_t a, b;
        std::memcpy(&a, cell + 8 * file, 2);
        std::memcpy(&b, cell + 8 * file + 8, 2);
        p[file] = odd[a];
        p[file + 1] = even[b];
      }
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      zeros |= (w - 0x0101010101010101ull) & ~w;
      p = Put<16>(p + 8, rowTail_);
    };
    // a8 is light, a7 dark.
    for (std::size_t rank = 8; rank >= 2; rank -= 2) {
      row(rank, light, dark);
      row(rank - 1, dark, light);
    }
    // A square that draws nothing (a code the record never holds) shortens
    // its row: such a rare board takes the general way.
    if ((zeros & 0x8080808080808080ull) == 0) return Put<sizeof(bottom_.Bytes)>(p, bottom_);
    return WriteBoardChecked(begin, core);
  }
  for (int rank = 8; rank >= 1; --rank) {
    p = Put<16>(p, rowHead_[static_cast<std::size_t>(rank - 1)]);
    // File 1 of an odd rank is dark (a1 is dark).
    const std::uint64_t* first = squares_.data() + (rank & 1) * kCellValues;
    const std::uint64_t* second = squares_.data() + ((rank & 1) ^ 1) * kCellValues;
    const TCell* cell = &core.Board[static_cast<std::size_t>(rank - 1)];
    for (int file = 0; file < 8; file += 2, cell += 16) {
      std::uint16_t a, b;
      std::memcpy(&a, cell, 2);
      std::memcpy(&b, cell + 8, 2);
      p = PutGlyph(p, first[a]);
      p = PutGlyph(p, second[b]);
    }
    p = Put<16>(p, rowTail_);
  }
  return Put<sizeof(bottom_.Bytes)>(p, bottom_);
}

char* TDiagramWriter::WriteReadBoard(char* p, const TPositionCore& core) const {
  if (vectorBoard_) return WriteReadBoardVector(p, core);
  if (!readBoardBytes_) return WriteBoard(p, core);
  // Every cell has its byte in the table and every byte draws: neither the
  // test of the board nor the test of the rows is needed.
  p = Put<sizeof(joints_[0].Bytes)>(p, joints_[0]);
  const char* const light = squareBytes_.data();
  const char* const dark = light + kCellValues;
  const auto row = [&](std::size_t rank, const char* odd, const char* even) {
    const TCell* cell = &core.Board[rank - 1];
    for (std::size_t file = 0; file < 8; file += 2) {
      std::uint16_t a, b;
      std::memcpy(&a, cell + 8 * file, 2);
      std::memcpy(&b, cell + 8 * file + 8, 2);
      p[file] = odd[a];
      p[file + 1] = even[b];
    }
    p += 8;
  };
  // a8 is light, a7 dark.
  for (std::size_t rank = 8; rank >= 4; rank -= 2) {
    row(rank, light, dark);
    p = Put<16>(p, joints_[9 - rank]);
    row(rank - 1, dark, light);
    p = Put<16>(p, joints_[10 - rank]);
  }
  row(2, light, dark);
  p = Put<16>(p, joints_[7]);
  row(1, dark, light);
  return Put<sizeof(joints_[8].Bytes)>(p, joints_[8]);
}

#ifdef BQ_VECTOR_BOARD

// The board is read two files (32 bytes) at a time: each cell's colour and
// piece become colour * 8 + piece (an empty cell's colour 2 gives 16, which
// the byte shuffle reads as 0), then the bytes of the square contents, then
// the files are turned into ranks.
__attribute__((target("ssse3"))) char* TDiagramWriter::WriteReadBoardVector(
    char* p, const TPositionCore& core) const {
  static_assert(sizeof(TCell) == 2 && sizeof core.Board == 128);
  const auto* const cells = reinterpret_cast<const char*>(core.Board.data());
  const __m128i light = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lightBytes_.data()));
  const __m128i dark = _mm_loadu_si128(reinterpret_cast<const __m128i*>(darkBytes_.data()));
  const __m128i weights = _mm_set1_epi16(8 | 1 << 8);  // colour * 8 + piece * 1
  // Files a, c, e, g start dark on rank 1; files b, d, f, h light.
  const __m128i darkSquares = _mm_setr_epi8(-1, 0, -1, 0, -1, 0, -1, 0, 0, -1, 0, -1, 0, -1, 0, -1);
  // a1 b1 a2 b2 ... a8 b8 from a1 ... a8 b1 ... b8.
  const __m128i pairs = _mm_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15);
  __m128i files[4];
  for (int k = 0; k < 4; ++k) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 32 * k));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + 32 * k + 16));
    const __m128i codes =
        _mm_packus_epi16(_mm_maddubs_epi16(first, weights), _mm_maddubs_epi16(second, weights));
    const __m128i glyphs =
        _mm_or_si128(_mm_andnot_si128(darkSquares, _mm_shuffle_epi8(light, codes)),
                     _mm_and_si128(darkSquares, _mm_shuffle_epi8(dark, codes)));
    files[k] = _mm_shuffle_epi8(glyphs, pairs);
  }
  const __m128i ab_cd_1to4 = _mm_unpacklo_epi16(files[0], files[1]);
  const __m128i ab_cd_5to8 = _mm_unpackhi_epi16(files[0], files[1]);
  const __m128i ef_gh_1to4 = _mm_unpacklo_epi16(files[2], files[3]);
  const __m128i ef_gh_5to8 = _mm_unpackhi_epi16(files[2], files[3]);
  // Ranks 1 and 2, 3 and 4, 5 and 6, 7 and 8.
  const __m128i ranks[4] = {
      _mm_unpacklo_epi32(ab_cd_1to4, ef_gh_1to4), _mm_unpackhi_epi32(ab_cd_1to4, ef_gh_1to4),
      _mm_unpacklo_epi32(ab_cd_5to8, ef_gh_5to8), _mm_unpackhi_epi32(ab_cd_5to8, ef_gh_5to8)};
  p = Put<sizeof(joints_[0].Bytes)>(p, joints_[0]);
  for (int k = 3; k >= 0; --k) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_unpackhi_epi64(ranks[k], ranks[k]));
    p = Put<16>(p + 8, joints_[static_cast<std::size_t>(7 - 2 * k)]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), ranks[k]);
    if (k == 0) break;
    p = Put<16>(p + 8, joints_[static_cast<std::size_t>(8 - 2 * k)]);
  }
  return Put<sizeof(joints_[8].Bytes)>(p + 8, joints_[8]);
}

#else

char* TDiagramWriter::WriteReadBoardVector(char* p, const TPositionCore& core) const {
  return WriteBoard(p, core);
}

#endif

char* TDiagramWriter::WriteBoardChecked(char* p, const TPositionCore& core) const {
  p = Put<sizeof(top_.Bytes)>(p, top_);
  for (int rank = 8; rank >= 1; --rank) {
    p = Put<16>(p, rowHead_[static_cast<std::size_t>(rank - 1)]);
    for (int file = 1; file <= 8; ++file) {
      const TCell c = core.Board[static_cast<std::size_t>((file - 1) * 8 + (rank - 1))];
      const std::size_t sq = (file + rank) % 2 == 0 ? 1 : 0;
      // Other codes draw as GetSquareGlyph says: the blank for no piece,
      // nothing otherwise.
      const std::size_t value = c.Piece == pNone              ? 0
                                : c.Piece < 8 && c.Colour < 4 ? c.Colour | c.Piece << 8
                                                              : 7 << 8;
      p = PutGlyph(p, squares_[sq * kCellValues + value]);
    }
    p = Put<16>(p, rowTail_);
  }
  return Put<sizeof(bottom_.Bytes)>(p, bottom_);
}

void TDiagramWriter::Append(std::string& out, const TPositionCore& core, std::string_view head,
                            std::string_view tail) const {
  // One resize to the most the record can take (plus room for the padded
  // copies), then the text goes in by pointer and the string is cut back.
  const std::size_t old = out.size();
  out.resize(old + head.size() + tail.size() + maxBoard_ + 8 + kSlack);
  char* p = out.data() + old;
  p = Put(p, head);
  *p++ = ' ';
  p = WriteBoard(p, core);
  p = Put(p, "\\par");
  p = Put(p, tail);
  p = Put(p, "\r\n");
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
