#pragma once
// What a read, upload or download did, one row per value: path, label,
// value (in the element's display format and the language's number and
// date format), unit and how the device took the value's transaction.
// Every command that lists elements writes it the same way.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/comm.h"

namespace dtm {
class clsDataElement;
}
namespace dtm::runtime {
class DTMContext;
}

namespace dtm::host {

enum class ListFormat { kTable, kTsv };

struct ListingRow {
  std::string path, label, value, unit, status;
  // How the value's transaction ended; nullopt when it was not transferred.
  std::optional<runtime::ResultOutcome> outcome;
};

struct Listing {
  std::vector<ListingRow> rows;
  std::size_t transactions = 0;
  // A download: values written, not read; a value shows also when the
  // device did not take it.
  bool writing = false;

  // Rows whose transaction ended so; `outcome` nullopt counts the rows
  // that were not transferred.
  std::size_t Count(std::optional<runtime::ResultOutcome> outcome) const;
  // True when every transaction was answered and accepted.
  bool AllAccepted() const;
};

// The value of `element` as the listing shows it, in `language` (7
// German, else English): Single and Double by the element's ValueFormat,
// a listed value with its text ("165 (VELDAR)"), dates and decimals in the
// language's format.
std::string DisplayValue(runtime::DTMContext& context, const clsDataElement& element,
                         std::int32_t language);

// The status column's text.
std::string StatusText(const clsDataElement& element,
                       std::optional<runtime::ResultOutcome> outcome, std::int32_t language);

// One row per value of the transfer's results (a group's members each get
// the group's outcome), in the order of the results; `writing` for a download.
Listing ListResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                    std::int32_t language, bool writing);
// One row per value of `targets` (elements or groups); each takes the
// outcome of its own result or its group's, if there is one.
Listing ListTargets(runtime::DTMContext& context, const std::vector<std::string>& targets,
                    const std::vector<runtime::ProcessResult>& results, std::int32_t language);

// "37 transactions, 166 values read, 0 refused, 0 not answered" in the language.
std::string SummaryLine(const Listing& listing, std::int32_t language);

// The header row and the rows; a table ends with the summary line, a TSV
// carries nothing but its header and rows.
void WriteListing(const Listing& listing, ListFormat format, std::int32_t language,
                  std::ostream& out);

}  // namespace dtm::host
