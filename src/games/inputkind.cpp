#include "games/inputkind.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace bq {

TInputKind DetectInputKind(std::string_view head) {
  if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
  std::size_t i = 0;
  const auto skipLine = [&] {
    while (i < head.size() && head[i] != '\n' && head[i] != '\r') ++i;
  };
  while (i < head.size()) {
    const char c = head[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
    } else if (c == '#' || c == ';' || c == '%') {
      skipLine();
    } else if (c == '{') {
      const std::size_t close = head.find('}', i);
      if (close == std::string_view::npos) return TInputKind::Pgn;
      i = close + 1;
    } else if (c == '[') {
      return TInputKind::Pgn;
    } else {
      std::size_t j = i;
      while (j < head.size() && head[j] >= '0' && head[j] <= '9') ++j;
      return j > i && j < head.size() && head[j] == '.' ? TInputKind::Pgn : TInputKind::Epd;
    }
  }
  return TInputKind::Epd;
}

std::string ReadInputHead(std::FILE* file, std::size_t limit) {
  std::string head(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const std::size_t n = std::fread(head.data() + got, 1, limit - got, file);
    if (n == 0) break;
    got += n;
  }
  if (got < limit && std::ferror(file)) throw std::runtime_error(std::strerror(errno));
  head.resize(got);
  return head;
}

}  // namespace bq
