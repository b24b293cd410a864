#pragma once
// File names of the pictures of one run, one per record: made from a name
// template with the caption fields, safe on every file system, never the
// same twice.
#include <string>
#include <string_view>
#include <unordered_set>

#include "chess/position.h"

namespace bq {

class TPictureNames {
 public:
  // `tmpl` as checked by TemplateError; {n} is written with at least four
  // digits, so that the files sort in record order.
  explicit TPictureNames(std::string tmpl) : template_(std::move(tmpl)) {}

  // The name of record `number` (1-based) read from EPD line `line`, with
  // `extension` (".png") appended.
  std::string Next(const TPosition& rec, long long number, long long line,
                   std::string_view extension);

 private:
  std::string template_;
  std::unordered_set<std::string> used_;
};

// Every byte but letters, digits, '-', '_' and '.' becomes '_'; an empty
// name becomes "_", and a long one is cut so that a name stays within what
// file systems allow.
std::string SafeFileName(std::string_view name);

}  // namespace bq
