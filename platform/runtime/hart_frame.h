#pragma once
// One HART transaction as it crosses the frame's communication channel:
// the request (command number, data bytes) and the device's answer
// (response code, field device status, data bytes). The channel carries
// them as small XML documents; these functions are the one codec for both
// sides.
//
//   <FDT><TransactionRequest command="128" data="3D3E3F3F"/></FDT>
//   <FDT><TransactionResponse command="128" responseCode="0" deviceStatus="0"
//        commStatus="0" data="3D4229..."/></FDT>
//
// Numbers are decimal bytes; data is hex, two digits a byte (written upper
// case, read in either case; an empty or absent data attribute: no bytes).
// A response without responseCode means the device did not answer; absent
// status attributes read as 0.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/xml/dom.h"

namespace dtm::runtime {

struct HartRequest {
  std::uint8_t command = 0;
  std::vector<std::uint8_t> data;
  friend bool operator==(const HartRequest&, const HartRequest&) = default;
};

struct HartResponse {
  std::uint8_t command = 0;
  std::optional<std::uint8_t> response_code;  // nullopt: no answer from the device
  std::uint8_t device_status = 0;
  std::uint8_t comm_status = 0;
  std::vector<std::uint8_t> data;
  friend bool operator==(const HartResponse&, const HartResponse&) = default;
};

std::string BuildTransactionRequestXml(const HartRequest& request);
// False (and `request` unchanged) for anything but a well-formed request document.
bool ParseTransactionRequestXml(const std::string& document, HartRequest& request);
std::string BuildTransactionResponseXml(const HartResponse& response);
bool ParseTransactionResponseXml(const std::string& document, HartResponse& response);

// Reads the documents of a run of transactions, as the Parse functions do.
// A document in the very form the Build functions write is read directly;
// any other goes through an XML parser that the reader keeps from one
// document to the next. What one document was has no bearing on the next.
// Whoever runs the transactions owns one; not for two at a time.
class TransactionDocumentReader {
 public:
  bool ReadRequest(const std::string& document, HartRequest& request);
  bool ReadResponse(const std::string& document, HartResponse& response);

 private:
  xml::Parser parser_;
};

}  // namespace dtm::runtime
