#pragma once
// vd4625 read: reads elements or groups from the simulated device through
// a page's transfer object and prints what arrived.

#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/hart_frame.h"

namespace dtm::host {

class Session;

struct ReadOptions {
  std::vector<std::string> paths;
  std::optional<std::filesystem::path> device_profile;  // default: the installed one
  bool trace = false;
};

// One trace line of a request or a response, as the frame's channel saw it:
// "HART > cmd=128 data=3D 3E" / "HART < cmd=128 rc=00 ds=00 data=...".
std::string TraceLine(const runtime::HartRequest& request);
std::string TraceLine(const runtime::HartResponse& response);

// Connects, reads, prints one line per element (label, value, unit, result)
// and answers the exit status: 0 when every transaction was answered.
int RunRead(Session& session, const ReadOptions& options, std::ostream& out);

}  // namespace dtm::host
