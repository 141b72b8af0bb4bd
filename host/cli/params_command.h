#pragma once
// vd4625 params: every data element after the model is built.

#include <cstdint>
#include <ostream>
#include <string>

namespace dtm::runtime {
class DTMContext;
}

namespace dtm::host {

enum class ParamsFormat { kTable, kTsv };

// Writes one line per element (after a header line): path, value type,
// length, read and write command, element mode and status flags in hex,
// label, unit, range, current value and description.
void WriteParams(runtime::DTMContext& context, ParamsFormat format, std::ostream& out);

}  // namespace dtm::host
