#pragma once
// vd4625 upload, download, functions and document: a whole frame session
// against the simulated device.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "host/cli/listing.h"

namespace dtm::host {

class Session;

struct TransferOptions {
  std::optional<std::filesystem::path> device_profile;
  bool trace = false;                         // on the session's error stream
  ListFormat format = ListFormat::kTable;
  std::optional<std::filesystem::path> save;  // upload: write the data set here
  bool save_anyway = false;                   // upload: save also after a failed upload
  std::optional<std::filesystem::path> load;  // download, document: start from this data set
  bool progress = false;                      // transactions done of the total, on the error stream
  std::int32_t function = 12;                 // document: the function call's number
  std::optional<std::string> argument;        // document: its argument
  bool pretty = false;                        // XML documents indented
  // document: also the documentation of the whole data set as the
  // documentation page shows it, as HTML in this file.
  std::optional<std::filesystem::path> html;
};

int RunUpload(Session& session, const TransferOptions& options, std::ostream& out);
int RunDownload(Session& session, const TransferOptions& options, std::ostream& out);
int RunFunctions(Session& session, const TransferOptions& options, std::ostream& out);
int RunDocument(Session& session, const TransferOptions& options, std::ostream& out);
// The documentation of the whole data set in the session's language as
// HTML, as the documentation page shows it; the exit status.
int WriteDocumentationHtml(Session& session, const std::filesystem::path& file);

// An XML document as the commands print it: as it came, or indented by
// libxml2's formatter. A text that does not parse is printed as it came.
void WriteDocument(const std::string& document, bool pretty, std::ostream& out);

}  // namespace dtm::host
