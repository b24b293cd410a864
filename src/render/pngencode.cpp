#include "render/pngencode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>

#include "render/rendererror.h"

namespace bq {

namespace {

// Fast and nearly as small as the default for pictures of flat paper and
// ink: most of a picture is runs of one value.
constexpr int kLevel = 1;

void PutBigEndian(std::string& out, std::uint32_t v) {
  const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 8), static_cast<char>(v)};
  out.append(b, 4);
}

// Fills in the length and type of the chunk whose data follows `start` + 8
// and appends its check sum.
void CloseChunk(std::string& out, std::size_t start, const char* type) {
  const auto length = static_cast<std::uint32_t>(out.size() - start - 8);
  std::string head;
  PutBigEndian(head, length);
  head.append(type, 4);
  std::memcpy(out.data() + start, head.data(), 8);
  const auto* typed = reinterpret_cast<const Bytef*>(out.data() + start + 4);
  PutBigEndian(out, static_cast<std::uint32_t>(crc32(0, typed, length + 4)));
}

}  // namespace

TInkPngEncoder::TInkPngEncoder() {
  for (THalf& half : halves_) {
    // Raw deflate (no zlib head), a window of 32 KB.
    if (deflateInit2(&half.Zip, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
      for (THalf& made : halves_) deflateEnd(&made.Zip);  // a stream never set up is no harm
      throw TRenderError("cannot set up the compression");
    }
  }
}

TInkPngEncoder::~TInkPngEncoder() {
  for (THalf& half : halves_) deflateEnd(&half.Zip);
}

void TInkPngEncoder::Encode(const unsigned char* coverage, int width, int height, int stride,
                            bool transparent, std::string& out) {
  if (width <= 0 || height <= 0) throw TRenderError("a picture needs at least one pixel");
  const std::size_t channels = transparent ? 2 : 1;
  const std::size_t line = 1 + channels * static_cast<std::size_t>(width);
  lines_.resize(line * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const unsigned char* src = coverage + static_cast<std::ptrdiff_t>(y) * stride;
    unsigned char* dst = lines_.data() + line * static_cast<std::size_t>(y);
    *dst++ = 0;  // no filter
    if (transparent) {
      for (int x = 0; x < width; ++x, dst += 2) {
        dst[0] = 0;
        dst[1] = src[x];
      }
    } else {
      for (int x = 0; x < width; ++x) dst[x] = static_cast<unsigned char>(255 - src[x]);
    }
  }
  out.assign("\x89PNG\r\n\x1a\n", 8);
  std::size_t start = out.size();
  out.append(8, '\0');
  PutBigEndian(out, static_cast<std::uint32_t>(width));
  PutBigEndian(out, static_cast<std::uint32_t>(height));
  // 8 bits, grey (0) or grey and alpha (4), deflate, no interlace.
  const char header[5] = {8, static_cast<char>(transparent ? 4 : 0), 0, 0, 0};
  out.append(header, 5);
  CloseChunk(out, start, "IHDR");
  Deflate(out);
  start = out.size();
  out.append(8, '\0');
  CloseChunk(out, start, "IEND");
}

// Compresses [data, data + size), the `primed` bytes before it serving as
// the dictionary; the last half ends the deflate data, the first ends on a
// byte boundary.
void TInkPngEncoder::Compress(THalf& half, const unsigned char* data, std::size_t size,
                              std::size_t primed, bool last) {
  z_stream& zip = half.Zip;
  deflateReset(&zip);
  if (primed > 0 && deflateSetDictionary(&zip, data - primed, static_cast<uInt>(primed)) != Z_OK)
    throw TRenderError("cannot compress the picture");
  const uLong bound = deflateBound(&zip, static_cast<uLong>(size)) + 16;  // and the flush
  half.Out.resize(bound);
  zip.next_in = const_cast<unsigned char*>(data);
  zip.avail_in = static_cast<uInt>(size);
  zip.next_out = reinterpret_cast<Bytef*>(half.Out.data());
  zip.avail_out = static_cast<uInt>(bound);
  const int status = deflate(&zip, last ? Z_FINISH : Z_SYNC_FLUSH);
  if (status != (last ? Z_STREAM_END : Z_OK) || zip.avail_in != 0 || zip.avail_out == 0)
    throw TRenderError("cannot compress the picture");
  half.Out.resize(bound - zip.avail_out);
  half.Adler = adler32(1, data, static_cast<uInt>(size));
}

void TInkPngEncoder::Deflate(std::string& out) {
  const std::size_t split = lines_.size() / 2, rest = lines_.size() - split;
  {
    // The future waits for the second half however the first one ends.
    std::future<void> second = std::async(std::launch::async, [&] {
      Compress(halves_[1], lines_.data() + split, rest, std::min<std::size_t>(split, 32768), true);
    });
    Compress(halves_[0], lines_.data(), split, 0, false);
    second.get();
  }
  const std::size_t start = out.size();
  out.append(8, '\0');
  out.append("\x78\x01", 2);  // deflate, 32 KB window, fastest
  out.append(halves_[0].Out);
  out.append(halves_[1].Out);
  PutBigEndian(out, static_cast<std::uint32_t>(adler32_combine(halves_[0].Adler, halves_[1].Adler,
                                                               static_cast<z_off_t>(rest))));
  CloseChunk(out, start, "IDAT");
}

}  // namespace bq
