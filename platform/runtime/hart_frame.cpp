#include "platform/runtime/hart_frame.h"

#include <charconv>

#include "platform/com/hex.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

namespace {

std::string Hex(const std::vector<std::uint8_t>& data) { return com::HexBytes(data); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Our documents write upper case; either case is read.
bool ParseHex(const std::string& text, std::vector<std::uint8_t>& data) {
  if (text.size() % 2 != 0) return false;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  data = std::move(bytes);
  return true;
}

// A decimal byte 0..255, nothing around it.
bool ParseByte(const std::string& text, std::uint8_t& value) {
  unsigned number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || number > 255) return false;
  value = static_cast<std::uint8_t>(number);
  return true;
}

// An optional byte attribute: absent keeps `value`.
bool ReadByteAttribute(const xml::Node& node, const char* name, std::uint8_t& value) {
  const std::optional<std::string> text = node.Attribute(name);
  return !text || ParseByte(*text, value);
}

bool ReadDataAttribute(const xml::Node& node, std::vector<std::uint8_t>& data) {
  const std::optional<std::string> text = node.Attribute("data");
  return !text || ParseHex(*text, data);
}

// The one element below the FDT root that carries the transaction, the
// first of that local name; looked up by hand, as an XPath query would cost
// a new evaluation context for every transaction.
xml::Node TransactionNode(const std::string& document, const char* element) {
  xml::Document parsed;
  if (!parsed.LoadXml(document)) return {};
  const xml::Node root = parsed.DocumentElement();
  if (!root || root.LocalName() != "FDT") return {};
  for (const xml::Node& child : root.Children()) {
    if (child.LocalName() == element) return child;
  }
  return {};
}

std::string Attribute(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + value + "\"";
}

}  // namespace

std::string BuildTransactionRequestXml(const HartRequest& request) {
  return "<FDT><TransactionRequest" + Attribute("command", std::to_string(request.command)) +
         Attribute("data", Hex(request.data)) + "/></FDT>";
}

bool ParseTransactionRequestXml(const std::string& document, HartRequest& request) {
  const xml::Node node = TransactionNode(document, "TransactionRequest");
  if (!node) return false;
  HartRequest parsed;
  const std::optional<std::string> command = node.Attribute("command");
  if (!command || !ParseByte(*command, parsed.command)) return false;
  if (!ReadDataAttribute(node, parsed.data)) return false;
  request = std::move(parsed);
  return true;
}

std::string BuildTransactionResponseXml(const HartResponse& response) {
  std::string text =
      "<FDT><TransactionResponse" + Attribute("command", std::to_string(response.command));
  if (response.response_code) {
    text += Attribute("responseCode", std::to_string(*response.response_code));
  }
  text += Attribute("deviceStatus", std::to_string(response.device_status)) +
          Attribute("commStatus", std::to_string(response.comm_status)) +
          Attribute("data", Hex(response.data)) + "/></FDT>";
  return text;
}

bool ParseTransactionResponseXml(const std::string& document, HartResponse& response) {
  const xml::Node node = TransactionNode(document, "TransactionResponse");
  if (!node) return false;
  HartResponse parsed;
  const std::optional<std::string> command = node.Attribute("command");
  if (!command || !ParseByte(*command, parsed.command)) return false;
  if (const std::optional<std::string> code = node.Attribute("responseCode")) {
    std::uint8_t value = 0;
    if (!ParseByte(*code, value)) return false;
    parsed.response_code = value;
  }
  if (!ReadByteAttribute(node, "deviceStatus", parsed.device_status) ||
      !ReadByteAttribute(node, "commStatus", parsed.comm_status) ||
      !ReadDataAttribute(node, parsed.data)) {
    return false;
  }
  response = std::move(parsed);
  return true;
}

}  // namespace dtm::runtime
