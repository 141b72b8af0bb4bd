#pragma once
// Puts a simulated device behind the frame's communication channel: a
// connect is answered with the device's manufacturer and device type codes;
// each transaction request document is decoded, answered by the device and
// the answer coded into a transaction response document. A request document
// that does not decode gets no answer; a line break the device reports
// drops the channel's connection.

#include <functional>

#include "host/device/sim_device.h"
#include "host/frame/channel.h"

namespace dtm::device {

// Sees every request the device handled and the answer it gave (a trace).
using TransactionObserver =
    std::function<void(const runtime::HartRequest&, const runtime::HartResponse&)>;

// Both must outlive the channel's use of the handler and the identity
// source (or until others replace them).
void AttachDevice(frame::ChannelStandIn& channel, SimDevice& device,
                  TransactionObserver observer = {});

}  // namespace dtm::device
