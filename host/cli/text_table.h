#pragma once
// Rows of cells written as a TSV or as a table whose columns line up, the
// same way for every command that lists something.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace dtm::host {

// Tabs and line breaks would break a row.
std::string CleanCell(std::string text);

// Columns line up by characters, not bytes (labels hold umlauts).
std::size_t CellWidth(const std::string& text);

// The first row is the header. A table pads every column but the last,
// which is often the longest, two blanks beyond its widest cell.
void WriteCells(const std::vector<std::vector<std::string>>& rows, bool tsv, std::ostream& out);

}  // namespace dtm::host
