#include "host/device/profile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>
#include <string_view>

#include "host/device/parameters.h"
#include "platform/com/error.h"
#include "platform/xml/dom.h"

namespace dtm::device {

namespace {

constexpr const char* kSource = "vd_device";
constexpr const char* kRoot = "DeviceProfile";
constexpr const char* kVersion = "1";

// Reads one profile document into a Profile; every complaint names the
// source and the place and raises Invalid file format.
class ProfileReader {
 public:
  explicit ProfileReader(std::string source) : source_(std::move(source)) {}

  Profile Read(const xml::Document& document) {
    const xml::Node root = document.DocumentElement();
    if (!root || root.Name() != kRoot) Fail("the document element is not " + std::string(kRoot));
    CheckAttributes(root, {"version"});
    const std::optional<std::string> version = root.Attribute("version");
    if (version != kVersion) {
      Fail(std::string(kRoot) + " version '" + version.value_or("(none)") + "' is not known");
    }

    Profile profile;
    const std::map<std::string, std::function<void(const xml::Node&)>> sections = {
        {"Identity", [&](const xml::Node& n) { ReadIdentity(n, profile.identity); }},
        {"PollingAddress",
         [&](const xml::Node& n) { profile.polling_address = Byte(n, ContentOf(n), 0, 15); }},
        {"Tag", [&](const xml::Node& n) { profile.tag = Packable(n, ContentOf(n), kTagLength); }},
        {"Descriptor",
         [&](const xml::Node& n) {
           profile.descriptor = Packable(n, ContentOf(n), kDescriptorLength);
         }},
        {"Date", [&](const xml::Node& n) { profile.date = DateOf(n, ContentOf(n)); }},
        {"Message",
         [&](const xml::Node& n) { profile.message = Packable(n, ContentOf(n), kMessageLength); }},
        {"Texts", [&](const xml::Node& n) { ReadTexts(n, profile.texts); }},
        {"ProductNumber",
         [&](const xml::Node& n) {
           profile.product_number = Packable(n, ContentOf(n), kProductNumberLength);
         }},
        {"FinalAssemblyNumber",
         [&](const xml::Node& n) {
           profile.final_assembly_number =
               static_cast<std::uint32_t>(Integer(n, ContentOf(n), 0, 0xFFFFFF));
         }},
        {"WriteProtect",
         [&](const xml::Node& n) { profile.write_protect = Byte(n, ContentOf(n), 0, 1) == 1; }},
        {"FloatParameters", [&](const xml::Node& n) { ReadFloats(n, profile.floats); }},
        {"ByteParameters", [&](const xml::Node& n) { ReadBytes(n, profile.bytes); }},
        {"Dynamic", [&](const xml::Node& n) { ReadDynamic(n, profile.dynamic); }},
        {"Status", [&](const xml::Node& n) { ReadStatus(n, profile); }},
        {"Motion", [&](const xml::Node& n) { ReadMotion(n, profile.motion); }},
        {"Latency", [&](const xml::Node& n) { profile.latency_ms = DurationOf(n, ContentOf(n), {}); }},
        {"Script", [&](const xml::Node& n) { ReadScript(n, profile.script); }},
        {"ActionScript", [&](const xml::Node& n) { ReadActionScript(n, profile.action_script); }},
    };
    std::set<std::string> seen;
    for (const xml::Node& node : root.Children()) {
      const auto section = sections.find(node.Name());
      if (section == sections.end()) FailAt(node, "unknown element <" + node.Name() + ">");
      if (!seen.insert(node.Name()).second) FailAt(node, "<" + node.Name() + "> appears twice");
      section->second(node);
    }
    return profile;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw com::ComError(com::vb::kInvalidFileFormat, "device profile " + source_ + ": " + what,
                        kSource);
  }

  // The line lets the user find the element in a long profile.
  [[noreturn]] void FailAt(const xml::Node& node, const std::string& what) const {
    Fail("line " + std::to_string(node.Line()) + ": " + what);
  }

 private:
  void CheckAttributes(const xml::Node& node, std::initializer_list<std::string_view> known) {
    for (const auto& [name, value] : node.Attributes()) {
      if (std::find(known.begin(), known.end(), name) == known.end()) {
        FailAt(node, "<" + node.Name() + "> has the unknown attribute " + name);
      }
    }
  }

  // The text of an element that holds nothing but text.
  std::string ContentOf(const xml::Node& node) {
    CheckAttributes(node, {});
    if (!node.Children().empty()) FailAt(node, "<" + node.Name() + "> holds elements, not a value");
    return node.Text();
  }

  static std::string Place(const xml::Node& node, std::string_view attribute) {
    std::string place = "<" + node.Name();
    if (const auto index = node.Attribute("index")) place += " index=\"" + *index + "\"";
    place += ">";
    if (!attribute.empty()) place += " " + std::string(attribute);
    return place;
  }

  std::int64_t Integer(const xml::Node& node, const std::string& text, std::int64_t minimum,
                       std::int64_t maximum, std::string_view attribute = {}) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
      digits.remove_prefix(2);
      base = 16;
    }
    std::int64_t value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
      FailAt(node, Place(node, attribute) + " '" + text + "' is no whole number");
    }
    if (value < minimum || value > maximum) {
      FailAt(node, Place(node, attribute) + " " + text + " lies outside " +
                       std::to_string(minimum) + ".." + std::to_string(maximum));
    }
    return value;
  }

  std::uint8_t Byte(const xml::Node& node, const std::string& text, std::uint8_t minimum,
                    std::uint8_t maximum, std::string_view attribute = {}) {
    return static_cast<std::uint8_t>(Integer(node, text, minimum, maximum, attribute));
  }

  float Float(const xml::Node& node, const std::string& text, std::string_view attribute = {}) {
    float value = 0.0f;
    const char* first = text.data();
    if (!text.empty() && text.front() == '+') ++first;  // from_chars takes no plus sign
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
      FailAt(node, Place(node, attribute) + " '" + text + "' is no number");
    }
    return value;
  }

  float FloatIn(const xml::Node& node, const std::string& text, float minimum, float maximum,
                std::string_view attribute) {
    const float value = Float(node, text, attribute);
    if (value < minimum || value > maximum) {
      FailAt(node, Place(node, attribute) + " " + text + " lies outside " + Number(minimum) + ".." +
                       Number(maximum));
    }
    return value;
  }

  static std::string Number(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
  }

  // A text field: trailing blanks dropped, every character packable.
  std::string Packable(const xml::Node& node, std::string text, std::size_t length) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    for (const char c : text) {
      if (!wire::IsPackable(c)) {
        FailAt(node,
               Place(node, {}) + " '" + text +
                   "' holds a character that packed ASCII cannot carry (it takes blank to '_', "
                   "upper case only)");
      }
    }
    if (text.size() > length) {
      FailAt(node, Place(node, {}) + " '" + text + "' is longer than " + std::to_string(length) +
                       " characters");
    }
    return text;
  }

  // "dd.mm.yyyy".
  wire::Date DateOf(const xml::Node& node, const std::string& text) {
    const auto digits = [&](std::size_t at, std::size_t count) {
      int value = 0;
      for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
      }
      return value;
    };
    const bool shaped = text.size() == 10 && text[2] == '.' && text[5] == '.';
    const wire::Date date =
        shaped ? wire::Date{digits(0, 2), digits(3, 2), digits(6, 4)} : wire::Date{0, 0, 0};
    if (!wire::IsValidDate(date)) {
      FailAt(node,
             Place(node, {}) + " '" + text + "' is no date dd.mm.yyyy of the years 1900..2155");
    }
    return date;
  }

  void ReadIdentity(const xml::Node& node, Identity& identity) {
    CheckAttributes(
        node, {"manufacturerCode", "deviceTypeCode", "preambles", "universalRevision",
               "deviceRevision", "softwareRevision", "hardwareRevision", "flags", "deviceId"});
    if (!node.Children().empty()) FailAt(node, "<Identity> holds elements");
    const auto byte = [&](const char* name, std::uint8_t& field) {
      if (const auto text = node.Attribute(name)) field = Byte(node, *text, 0, 255, name);
    };
    byte("manufacturerCode", identity.manufacturer_code);
    byte("deviceTypeCode", identity.device_type_code);
    byte("preambles", identity.preambles);
    byte("universalRevision", identity.universal_revision);
    byte("deviceRevision", identity.device_revision);
    byte("softwareRevision", identity.software_revision);
    byte("hardwareRevision", identity.hardware_revision);
    byte("flags", identity.flags);
    if (const auto text = node.Attribute("deviceId")) {
      identity.device_id =
          static_cast<std::uint32_t>(Integer(node, *text, 0, 0xFFFFFF, "deviceId"));
    }
  }

  void ReadTexts(const xml::Node& node, std::array<std::string, 5>& texts) {
    CheckAttributes(node, {});
    std::set<std::uint8_t> seen;
    for (const xml::Node& text : node.Children()) {
      if (text.Name() != "Text") FailAt(text, "<Texts> holds <" + text.Name() + ">, not <Text>");
      CheckAttributes(text, {"index"});
      const std::optional<std::string> index_text = text.Attribute("index");
      if (!index_text) FailAt(text, "a <Text> has no index");
      const std::uint8_t index = Byte(text, *index_text, 0, 4, "index");
      if (!seen.insert(index).second)
        FailAt(text, "<Text index=\"" + *index_text + "\"> appears twice");
      if (!text.Children().empty()) FailAt(text, Place(text, {}) + " holds elements, not a text");
      texts[index] = Packable(text, text.Text(), kTextLength);
    }
  }

  // <Parameter index="n" value="v"/> rows; `read` checks and stores one.
  void ReadParameterRows(
      const xml::Node& node,
      const std::function<void(const xml::Node&, std::uint8_t, const std::string&)>& read) {
    CheckAttributes(node, {});
    std::set<std::uint8_t> seen;
    for (const xml::Node& row : node.Children()) {
      if (row.Name() != "Parameter") {
        FailAt(row, "<" + node.Name() + "> holds <" + row.Name() + ">, not <Parameter>");
      }
      CheckAttributes(row, {"index", "value"});
      const std::optional<std::string> index_text = row.Attribute("index");
      const std::optional<std::string> value_text = row.Attribute("value");
      if (!index_text) FailAt(row, "a <Parameter> of <" + node.Name() + "> has no index");
      if (!value_text) FailAt(row, "<" + node.Name() + "> " + Place(row, {}) + " has no value");
      const std::uint8_t index = Byte(row, *index_text, 0, 255, "index");
      if (!seen.insert(index).second) {
        FailAt(row, "<" + node.Name() + "> " + Place(row, {}) + " appears twice");
      }
      read(row, index, *value_text);
    }
  }

  void ReadFloats(const xml::Node& node, std::map<std::uint8_t, float>& floats) {
    ReadParameterRows(node, [&](const xml::Node& row, std::uint8_t index, const std::string& text) {
      const FloatParameter* parameter = FindFloatParameter(index);
      if (!parameter)
        FailAt(row,
               "<FloatParameters> " + Place(row, {}) + ": the device has no such float parameter");
      const float value = Float(row, text, "value");
      if (CheckValue(*parameter, value) != Fit::kInside) {
        FailAt(row, "<FloatParameters> " + Place(row, "value") + " " + text + " lies outside " +
                        Number(parameter->minimum) + ".." + Number(parameter->maximum));
      }
      floats[index] = value;
    });
  }

  void ReadBytes(const xml::Node& node, std::map<std::uint8_t, std::uint8_t>& bytes) {
    ReadParameterRows(node, [&](const xml::Node& row, std::uint8_t index, const std::string& text) {
      const ByteParameter* parameter = FindByteParameter(index);
      if (!parameter)
        FailAt(row,
               "<ByteParameters> " + Place(row, {}) + ": the device has no such byte parameter");
      const std::uint8_t value = Byte(row, text, 0, 255, "value");
      if (CheckValue(*parameter, value) != Fit::kInside) {
        std::string allowed;
        for (const std::uint8_t v : parameter->Allowed()) {
          allowed += (allowed.empty() ? "" : ", ") + std::to_string(v);
        }
        FailAt(row,
               "<ByteParameters> " + Place(row, "value") + " " + text + " is none of " + allowed);
      }
      bytes[index] = value;
    });
  }

  void ReadDynamic(const xml::Node& node, DynamicValues& dynamic) {
    CheckAttributes(node, {"wAnalog", "wDigit", "e", "x", "opStat", "totTravel"});
    if (!node.Children().empty()) FailAt(node, "<Dynamic> holds elements");
    const auto value = [&](const char* name, float minimum, float maximum, float& field) {
      if (const auto text = node.Attribute(name))
        field = FloatIn(node, *text, minimum, maximum, name);
    };
    value("wAnalog", 3.8f, 22.0f, dynamic.w_analog);
    value("wDigit", -10.0f, 120.0f, dynamic.w_digit);
    value("e", -120.0f, 120.0f, dynamic.deviation);
    value("x", -10.0f, 120.0f, dynamic.position);
    value("totTravel", 0.0f, 16500000.0f, dynamic.total_travel);
    if (const auto text = node.Attribute("opStat")) {
      dynamic.operating_state = Byte(node, *text, 0, 5, "opStat");
    }
  }

  void ReadStatus(const xml::Node& node, Profile& profile) {
    CheckAttributes(node, {"deviceStatus", "st0", "st1", "st2", "st3", "actionState"});
    if (!node.Children().empty()) FailAt(node, "<Status> holds elements");
    const auto byte = [&](const char* name, std::uint8_t& field) {
      if (const auto text = node.Attribute(name)) field = Byte(node, *text, 0, 255, name);
    };
    byte("deviceStatus", profile.device_status);
    byte("st0", profile.status[0]);
    byte("st1", profile.status[1]);
    byte("st2", profile.status[2]);
    byte("st3", profile.status[3]);
    byte("actionState", profile.action_state);
    profile.device_status &= static_cast<std::uint8_t>(~0x10u);  // follows the status bytes
  }

  // A span of clock time: a whole number with "ms", "s" or "min", up to a day.
  std::uint32_t DurationOf(const xml::Node& node, const std::string& text,
                           std::string_view attribute) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    const std::string unit = text.substr(digits);
    std::int64_t factor = 0;
    if (unit == "ms") factor = 1;
    if (unit == "s") factor = 1000;
    if (unit == "min") factor = 60000;
    if (digits == 0 || factor == 0) {
      FailAt(node, Place(node, attribute) + " '" + text + "' is no time such as 500ms, 10s or 2min");
    }
    const std::int64_t limit = 86400000 / factor;
    return static_cast<std::uint32_t>(Integer(node, text.substr(0, digits), 0, limit, attribute) * factor);
  }

  void ReadMotion(const xml::Node& node, Motion& motion) {
    CheckAttributes(node, {"wLow", "wHigh", "period", "lag", "safetyW"});
    if (!node.Children().empty()) FailAt(node, "<Motion> holds elements");
    motion.enabled = true;
    if (const auto text = node.Attribute("wLow")) motion.w_low = FloatIn(node, *text, 3.8f, 22.0f, "wLow");
    if (const auto text = node.Attribute("wHigh")) motion.w_high = FloatIn(node, *text, 3.8f, 22.0f, "wHigh");
    if (const auto text = node.Attribute("period")) motion.period_ms = DurationOf(node, *text, "period");
    if (const auto text = node.Attribute("lag")) motion.lag_ms = DurationOf(node, *text, "lag");
    if (const auto text = node.Attribute("safetyW")) {
      motion.safety_w = FloatIn(node, *text, -10.0f, 120.0f, "safetyW");
    }
  }

  void ReadScript(const xml::Node& node, std::vector<ScriptedFault>& script) {
    CheckAttributes(node, {});
    for (const xml::Node& row : node.Children()) {
      if (row.Name() != "Fault") FailAt(row, "<Script> holds <" + row.Name() + ">, not <Fault>");
      CheckAttributes(row, {"at", "kind", "span", "code", "command", "replies"});
      if (!row.Children().empty()) FailAt(row, "<Fault> holds elements");
      const std::optional<std::string> at = row.Attribute("at");
      const std::optional<std::string> kind = row.Attribute("kind");
      if (!at) FailAt(row, "a <Fault> has no time 'at'");
      if (!kind) FailAt(row, "a <Fault> has no kind");
      ScriptedFault fault;
      fault.at_ms = DurationOf(row, *at, "at");
      if (*kind == "busy") {
        fault.kind = ScriptedFault::Kind::kBusy;
        const std::optional<std::string> span = row.Attribute("span");
        if (!span) FailAt(row, "a busy <Fault> has no span");
        fault.span_ms = DurationOf(row, *span, "span");
      } else if (*kind == "lostConnection") {
        fault.kind = ScriptedFault::Kind::kLostConnection;
      } else if (*kind == "responseCode") {
        fault.kind = ScriptedFault::Kind::kResponseCode;
        if (!row.Attribute("code")) FailAt(row, "a responseCode <Fault> has no code");
      } else {
        FailAt(row, "<Fault> kind '" + *kind + "' is none of busy, lostConnection, responseCode");
      }
      if (const auto text = row.Attribute("code")) fault.code = Byte(row, *text, 0, 255, "code");
      if (const auto text = row.Attribute("command")) {
        fault.command = static_cast<std::int16_t>(Integer(row, *text, 0, 255, "command"));
      }
      if (const auto text = row.Attribute("replies")) {
        fault.replies = static_cast<int>(Integer(row, *text, 1, 1000000, "replies"));
      }
      script.push_back(fault);
    }
  }

  // <Action action="2" result="4" silentAfter="7" lineBreakAfter="7.5"/>
  // rows; the times are seconds after the start.
  void ReadActionScript(const xml::Node& node, std::vector<ScriptedAction>& script) {
    CheckAttributes(node, {});
    for (const xml::Node& row : node.Children()) {
      if (row.Name() != "Action") FailAt(row, "<ActionScript> holds <" + row.Name() + ">, not <Action>");
      CheckAttributes(row, {"action", "result", "silentAfter", "lineBreakAfter"});
      if (!row.Children().empty()) FailAt(row, "<Action> holds elements");
      ScriptedAction scripted;
      if (const auto text = row.Attribute("action")) scripted.action = Byte(row, *text, 1, 2, "action");
      if (const auto text = row.Attribute("result")) scripted.result = Byte(row, *text, 0, 255, "result");
      const auto time = [&](const char* name, std::optional<std::chrono::milliseconds>& field) {
        if (const auto text = row.Attribute(name)) {
          field = std::chrono::milliseconds(std::llround(FloatIn(row, *text, 0.0f, 86400.0f, name) * 1000.0f));
        }
      };
      time("silentAfter", scripted.silent_after);
      time("lineBreakAfter", scripted.line_break_after);
      script.push_back(scripted);
    }
  }

  std::string source_;
};

}  // namespace

std::map<std::uint8_t, float> InitialFloatValues() {
  std::map<std::uint8_t, float> values;
  for (const FloatParameter& parameter : FloatParameters())
    values[parameter.index] = parameter.initial;
  return values;
}

std::map<std::uint8_t, std::uint8_t> InitialByteValues() {
  std::map<std::uint8_t, std::uint8_t> values;
  for (const ByteParameter& parameter : ByteParameters())
    values[parameter.index] = parameter.initial;
  return values;
}

Profile ParseProfile(const std::string& text, const std::string& source) {
  ProfileReader reader(source);
  xml::Document document;
  if (!document.LoadXml(text)) reader.Fail(document.ParseError());
  return reader.Read(document);
}

Profile LoadProfile(const std::filesystem::path& file) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(file, ignored)) {
    throw com::ComError(com::vb::kFileNotFound, "device profile not found: " + file.string(),
                        kSource);
  }
  ProfileReader reader(file.string());
  xml::Document document;
  if (!document.Load(file)) reader.Fail(document.ParseError());
  return reader.Read(document);
}

}  // namespace dtm::device
