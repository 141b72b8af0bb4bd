#pragma once
// vd4625 read: reads elements or groups from the simulated device through
// a transfer process and lists what arrived.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/cli/listing.h"
#include "platform/runtime/hart_frame.h"

namespace dtm::host {

class Session;

struct ReadOptions {
  std::vector<std::string> paths;
  std::optional<std::filesystem::path> device_profile;  // default: the installed one
  bool trace = false;                                   // on the session's error stream
  ListFormat format = ListFormat::kTable;
};

// One trace line of a request or a response, as the frame's channel saw it:
// "HART > cmd=128 data=3D 3E" / "HART < cmd=128 rc=00 ds=00 data=...".
std::string TraceLine(const runtime::HartRequest& request);
std::string TraceLine(const runtime::HartResponse& response);

// The exit status a listing ends with, and what the user is told about
// the end besides the listing (on the session's error stream).
int ListingStatus(Session& session, const Listing& listing);

// Writes the listing to `out`; the summary goes along in a table, and to
// the error stream beside a TSV (which stays nothing but rows).
void WriteOutcome(Session& session, const Listing& listing, ListFormat format, std::ostream& out);

// Connects, reads and lists every value of the paths; the exit status as
// ListingStatus.
int RunRead(Session& session, const ReadOptions& options, std::ostream& out);

}  // namespace dtm::host
