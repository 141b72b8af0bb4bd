#include "host/cli/text_table.h"

#include <algorithm>

namespace dtm::host {

std::string CleanCell(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::size_t CellWidth(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

void WriteCells(const std::vector<std::vector<std::string>>& rows, bool tsv, std::ostream& out) {
  if (tsv) {
    for (const auto& cells : rows) {
      for (std::size_t i = 0; i < cells.size(); ++i) out << (i ? "\t" : "") << cells[i];
      out << '\n';
    }
    return;
  }
  std::vector<std::size_t> widths;
  for (const auto& cells : rows) {
    if (widths.size() < cells.size()) widths.resize(cells.size(), 0);
    for (std::size_t i = 0; i + 1 < cells.size(); ++i) {
      widths[i] = std::max(widths[i], CellWidth(cells[i]));
    }
  }
  for (const auto& cells : rows) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      line += cells[i];
      if (i + 1 < cells.size()) line += std::string(widths[i] - CellWidth(cells[i]) + 2, ' ');
    }
    out << line << '\n';
  }
}

}  // namespace dtm::host
