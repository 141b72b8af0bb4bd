#pragma once
// The streams and the clock a command of the vd4625 program runs with.

#include <functional>
#include <ostream>

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

}  // namespace dtm::host
