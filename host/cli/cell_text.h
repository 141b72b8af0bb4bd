#pragma once
// Cells of the command-line tables: one line each, padded by characters.

#include <cstddef>
#include <string>

namespace dtm::host {

// Tabs and line breaks would break a row (or a TSV line).
inline std::string Clean(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// Columns line up by characters, not bytes (labels hold umlauts).
inline std::size_t Width(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace dtm::host
