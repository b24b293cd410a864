#pragma once
// Whether an input holds EPD lines or PGN games.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace bq {

enum class TInputKind : std::uint8_t { Epd, Pgn };

// PGN when the first line that is neither blank nor a comment ("#", ";",
// "%" lines and {...} comments) begins with "[" or with a move number
// (digits, then "."): an EPD placement never does. `head` is the start of
// the input; 64 KiB are plenty. A head that ends inside a {...} comment
// is PGN, for no EPD line has one.
TInputKind DetectInputKind(std::string_view head);

// The first `limit` bytes of a stream (fewer at its end), for
// DetectInputKind; they are then the head the reading starts with. A read
// error throws std::runtime_error.
std::string ReadInputHead(std::FILE* file, std::size_t limit = std::size_t{1} << 16);

}  // namespace bq
