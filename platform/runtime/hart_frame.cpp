#include "platform/runtime/hart_frame.h"

#include <array>
#include <charconv>
#include <string_view>

#include "platform/com/hex.h"

namespace dtm::runtime {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Our documents write upper case; either case is read.
bool ParseHex(std::string_view text, std::vector<std::uint8_t>& data) {
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
bool ParseByte(std::string_view text, std::uint8_t& value) {
  unsigned number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || number > 255) return false;
  value = static_cast<std::uint8_t>(number);
  return true;
}

// The attributes a transaction document may carry, by their place in a Fields.
enum Field { kCommand, kResponseCode, kDeviceStatus, kCommStatus, kData, kFieldCount };
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "command", "responseCode", "deviceStatus", "commStatus", "data"};
constexpr std::string_view kRequestElement = "TransactionRequest";
constexpr std::string_view kResponseElement = "TransactionResponse";

// The attribute values of the transaction element; nullopt: absent.
using Fields = std::array<std::optional<std::string_view>, kFieldCount>;

// An optional byte attribute: absent keeps `value`.
bool ReadByteField(const std::optional<std::string_view>& text, std::uint8_t& value) {
  return !text || ParseByte(*text, value);
}

bool ReadDataField(const std::optional<std::string_view>& text, std::vector<std::uint8_t>& data) {
  return !text || ParseHex(*text, data);
}

bool DecodeRequest(const Fields& fields, HartRequest& request) {
  HartRequest parsed;
  if (!fields[kCommand] || !ParseByte(*fields[kCommand], parsed.command)) return false;
  if (!ReadDataField(fields[kData], parsed.data)) return false;
  request = std::move(parsed);
  return true;
}

bool DecodeResponse(const Fields& fields, HartResponse& response) {
  HartResponse parsed;
  if (!fields[kCommand] || !ParseByte(*fields[kCommand], parsed.command)) return false;
  if (fields[kResponseCode]) {
    std::uint8_t value = 0;
    if (!ParseByte(*fields[kResponseCode], value)) return false;
    parsed.response_code = value;
  }
  if (!ReadByteField(fields[kDeviceStatus], parsed.device_status) ||
      !ReadByteField(fields[kCommStatus], parsed.comm_status) ||
      !ReadDataField(fields[kData], parsed.data)) {
    return false;
  }
  response = std::move(parsed);
  return true;
}

bool Consume(std::string_view& text, std::string_view expected) {
  if (!text.starts_with(expected)) return false;
  text.remove_prefix(expected.size());
  return true;
}

bool IsPlainValueChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A document exactly in the form the builders write, read without an XML
// parser: <FDT><element name="value" .../></FDT>, each attribute one of
// ours, at most once, and its value letters and digits only. Within that
// form the values are what an XML parser reads. False for any other
// document, even a well-formed one; the parser then has the last word.
bool ReadWrittenForm(std::string_view text, std::string_view element, Fields& fields) {
  fields = {};
  if (!Consume(text, "<FDT><") || !Consume(text, element)) return false;
  while (Consume(text, " ")) {
    std::size_t field = 0;
    while (field < kFieldCount && !text.starts_with(kFieldNames[field])) ++field;
    if (field == kFieldCount || fields[field]) return false;
    text.remove_prefix(kFieldNames[field].size());
    if (!Consume(text, "=\"")) return false;
    std::size_t length = 0;
    while (length < text.size() && IsPlainValueChar(text[length])) ++length;
    fields[field] = text.substr(0, length);
    text.remove_prefix(length);
    if (!Consume(text, "\"")) return false;
  }
  return text == "/></FDT>";
}

// The transaction element of any other document: the first element of that
// local name right below the FDT root. Looked up by hand, as an XPath query
// would cost a new evaluation context.
bool ReadParsedForm(xml::Parser& parser, const std::string& text, std::string_view element,
                    std::array<std::optional<std::string>, kFieldCount>& values) {
  const std::optional<xml::Document> parsed = parser.Parse(text);
  if (!parsed) return false;
  const xml::Node root = parsed->DocumentElement();
  if (!root || root.LocalName() != "FDT") return false;
  for (const xml::Node& child : root.Children()) {
    if (child.LocalName() != element) continue;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
      values[i] = child.Attribute(std::string(kFieldNames[i]));
    }
    return true;
  }
  return false;
}

// The fields of `text` for `element`, by whichever reading takes it; false
// when it is no such document. `storage` holds the values the parser read.
bool ReadFields(xml::Parser& parser, const std::string& text, std::string_view element,
                Fields& fields, std::array<std::optional<std::string>, kFieldCount>& storage) {
  if (ReadWrittenForm(text, element, fields)) return true;
  if (!ReadParsedForm(parser, text, element, storage)) return false;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    fields[i] = storage[i] ? std::optional<std::string_view>(*storage[i]) : std::nullopt;
  }
  return true;
}

void AppendNumber(std::string& text, std::string_view name, unsigned value) {
  char digits[4];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;  // a byte always fits
  text += ' ';
  text += name;
  text += "=\"";
  text.append(digits, end);
  text += '"';
}

void AppendData(std::string& text, const std::vector<std::uint8_t>& data) {
  text += " data=\"";
  text += com::HexBytes(data);
  text += '"';
}

}  // namespace

bool TransactionDocumentReader::ReadRequest(const std::string& document, HartRequest& request) {
  Fields fields;
  std::array<std::optional<std::string>, kFieldCount> storage;
  return ReadFields(parser_, document, kRequestElement, fields, storage) &&
         DecodeRequest(fields, request);
}

bool TransactionDocumentReader::ReadResponse(const std::string& document,
                                             HartResponse& response) {
  Fields fields;
  std::array<std::optional<std::string>, kFieldCount> storage;
  return ReadFields(parser_, document, kResponseElement, fields, storage) &&
         DecodeResponse(fields, response);
}

std::string BuildTransactionRequestXml(const HartRequest& request) {
  std::string text;
  text.reserve(64 + 2 * request.data.size());
  text += "<FDT><TransactionRequest";
  AppendNumber(text, "command", request.command);
  AppendData(text, request.data);
  text += "/></FDT>";
  return text;
}

bool ParseTransactionRequestXml(const std::string& document, HartRequest& request) {
  TransactionDocumentReader reader;
  return reader.ReadRequest(document, request);
}

std::string BuildTransactionResponseXml(const HartResponse& response) {
  std::string text;
  text.reserve(128 + 2 * response.data.size());
  text += "<FDT><TransactionResponse";
  AppendNumber(text, "command", response.command);
  if (response.response_code) AppendNumber(text, "responseCode", *response.response_code);
  AppendNumber(text, "deviceStatus", response.device_status);
  AppendNumber(text, "commStatus", response.comm_status);
  AppendData(text, response.data);
  text += "/></FDT>";
  return text;
}

bool ParseTransactionResponseXml(const std::string& document, HartResponse& response) {
  TransactionDocumentReader reader;
  return reader.ReadResponse(document, response);
}

}  // namespace dtm::runtime
