#pragma once
// The vd4625 program as a function: parses the command line, runs the
// command and answers the exit status (exit_status.h). Standard output
// gets only the result (a listing, a TSV, an XML document); everything else
// (trace, message boxes, the frame's notices, progress, errors) goes to
// the error stream.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/device/sim_device.h"
#include "host/frame/channel.h"
#include "platform/loop/clock.h"

namespace dtm::host {

struct Console {
  std::ostream& out;
  std::ostream& err;
  loop::Clock& clock;
  bool out_is_terminal = false;  // XML documents are then indented
  bool err_is_terminal = false;  // transfers then show their progress
  // Sees the device and the channel once they are put together.
  std::function<void(device::SimDevice&, frame::ChannelStandIn&)> on_device = {};
};

// `args` without the program's name.
int RunVd4625(const std::vector<std::string>& args, Console& console);

}  // namespace dtm::host
