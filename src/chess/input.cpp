#include "chess/input.h"

namespace bq {

void T_InputO::OpenString(std::string_view text) {
  const std::size_t nul = text.find('\0');
  text_ = nul == std::string_view::npos ? text : text.substr(0, nul);
  pos_ = 0;
}

void T_InputO::CloseInput() {
  text_ = {};
  pos_ = 0;
}

bool T_InputO::SkipBlanks() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() && IsEPDBlank(text_[pos_])) ++pos_;
  return pos_ != start;
}

}  // namespace bq
