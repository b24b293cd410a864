#pragma once
// PNG files of one-ink pictures: the picture is only how much ink covers
// each pixel, so a grey image (with alpha when transparent) holds it
// exactly at a quarter of the size of RGBA.
#include <zlib.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace bq {

class TInkPngEncoder {
 public:
  TInkPngEncoder();
  ~TInkPngEncoder();
  TInkPngEncoder(const TInkPngEncoder&) = delete;
  TInkPngEncoder& operator=(const TInkPngEncoder&) = delete;

  // `coverage`: one byte per pixel (0 paper, 255 ink), rows `stride` bytes
  // apart. On white, grey 255 - coverage; transparent, black with alpha
  // coverage. Replaces `out` with the file's bytes.
  void Encode(const unsigned char* coverage, int width, int height, int stride, bool transparent,
              std::string& out);

 private:
  // Compression is most of a picture's time: the rows are compressed in
  // two halves at once, each a raw deflate stream of its own that ends on
  // a byte boundary, the second primed with the end of the first, and the
  // two joined into one zlib stream (as parallel gzip does).
  struct THalf {
    z_stream Zip{};
    std::string Out;
    uLong Adler = 1;
  };
  static void Compress(THalf& half, const unsigned char* data, std::size_t size, std::size_t primed,
                       bool last);
  void Deflate(std::string& out);

  // Kept from picture to picture: pictures of a run are alike in size, and
  // setting up the compressors and the buffers anew costs more than the
  // compression itself.
  std::array<THalf, 2> halves_;
  std::vector<unsigned char> lines_;  // filter byte and pixels of every row
};

}  // namespace bq
