#pragma once
// PNG files of one-ink pictures: the picture is only how much ink covers
// each pixel, so a grey image (with alpha when transparent) holds it
// exactly at a quarter of the size of RGBA.
#include <memory>
#include <string>
#include <vector>

struct libdeflate_compressor;

namespace bq {

class TInkPngEncoder {
 public:
  TInkPngEncoder();

  // `coverage`: one byte per pixel (0 paper, 255 ink), rows `stride` bytes
  // apart. On white, grey 255 - coverage; transparent, black with alpha
  // coverage. Replaces `out` with the file's bytes.
  void Encode(const unsigned char* coverage, int width, int height, int stride, bool transparent,
              std::string& out);
  // A picture in colour (marks): Cairo's premultiplied ARGB32 pixels, as
  // RGB, or RGBA when transparent.
  void EncodeColour(const unsigned char* argb, int width, int height, int stride, bool transparent,
                    std::string& out);

 private:
  // The file of the rows in lines_, of the colour type given (0 grey, 2
  // RGB, 4 grey and alpha, 6 RGBA).
  void Write(int width, int height, char colourType, std::string& out);
  void Deflate(std::string& out);

  // Kept from picture to picture: pictures of a run are alike in size, and
  // setting up the compressor and the buffers anew costs more than the
  // compression itself.
  struct TFree {
    void operator()(libdeflate_compressor* c) const;
  };
  std::unique_ptr<libdeflate_compressor, TFree> zip_;
  std::vector<unsigned char> lines_;  // filter byte and pixels of every row
};

}  // namespace bq
