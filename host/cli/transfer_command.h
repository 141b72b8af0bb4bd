#pragma once
// vd4625 upload, download, functions and document: a whole frame session
// against the simulated device.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace dtm::host {

class Session;

struct TransferOptions {
  std::optional<std::filesystem::path> device_profile;
  bool trace = false;
  std::optional<std::filesystem::path> save;  // upload: write the data set here
  std::optional<std::filesystem::path> load;  // download, document: start from this data set
  bool progress = false;                      // transactions done of the total, on stderr
  std::int32_t function = 12;                 // document: the function call's number
  std::optional<std::string> argument;        // document: its argument
};

// Every element's label, value, unit and status, one line each.
void WriteDataSet(Session& session, std::ostream& out);

int RunUpload(Session& session, const TransferOptions& options, std::ostream& out);
int RunDownload(Session& session, const TransferOptions& options, std::ostream& out);
int RunFunctions(Session& session, std::ostream& out);
int RunDocument(Session& session, const TransferOptions& options, std::ostream& out);

}  // namespace dtm::host
