#include "host/device/attach.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/hart_frame.h"

namespace dtm::device {

void AttachDevice(frame::ChannelStandIn& channel, SimDevice& device,
                  TransactionObserver observer) {
  // The connect answer carries the identity the device holds at that time.
  channel.SetIdentitySource([&device] {
    const Identity identity = device.Memory().identity;
    return frame::ChannelStandIn::DeviceCodes{identity.manufacturer_code,
                                              identity.device_type_code};
  });
  // A profile may give the line its time per transaction.
  if (const std::uint32_t latency = device.Memory().latency_ms; latency != 0) {
    channel.SetTransactionLatency(std::chrono::milliseconds(latency));
  }
  // One reader for the requests of this attachment (the handler is copied,
  // the reader shared).
  auto reader = std::make_shared<runtime::TransactionDocumentReader>();
  channel.SetTransactionHandler(
      [&channel, &device, reader, observer = std::move(observer)](
          const std::string& document) -> std::optional<std::string> {
        runtime::HartRequest request;
        if (!reader->ReadRequest(document, request)) return std::nullopt;
        const runtime::HartResponse response = device.Handle(request);
        if (observer) observer(request, response);
        if (device.TakeLineBreak()) {
          channel.DropConnection();
          return std::nullopt;
        }
        return runtime::BuildTransactionResponseXml(response);
      });
}

}  // namespace dtm::device
