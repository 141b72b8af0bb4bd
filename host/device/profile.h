#pragma once
// What a simulated device holds when it is switched on: its identity, the
// identification texts, the values of both parameter tables, the dynamic
// values and the status. A default Profile is a device fresh from the
// factory (every parameter at its initial value); a profile file, read by
// LoadProfile, overrides any part of it. README.md in this folder
// describes the file format.

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "component/common/identity.h"
#include "host/device/motion.h"
#include "host/device/wire.h"

namespace dtm::device {

// By default the device the component supports.
struct Identity {
  std::uint8_t manufacturer_code = static_cast<std::uint8_t>(kSupportedManufacturerCode);
  std::uint8_t device_type_code = static_cast<std::uint8_t>(kSupportedDeviceTypeCode);
  std::uint8_t preambles = 5;
  std::uint8_t universal_revision = 5;
  std::uint8_t device_revision = static_cast<std::uint8_t>(kSupportedDeviceRevision);
  std::uint8_t software_revision = 1;
  std::uint8_t hardware_revision = 1;
  std::uint8_t flags = 0;
  std::uint32_t device_id = 0;  // 24 bits
  friend bool operator==(const Identity&, const Identity&) = default;
};

// The cyclic process values of command 136 that no parameter holds. The
// operating mode, the manual set point and the switching states of the
// alarm output and the limit contacts are parameters (byte 65, float 6,
// bytes 71, 81, 82) and command 136 shows them from there.
struct DynamicValues {
  float w_analog = 4.0f;             // current input, mA (3.8..22)
  float w_digit = 0.0f;              // set point, % (-10..120)
  float deviation = 0.0f;            // e = w - x, % (-120..120)
  float position = 0.0f;             // x, % (-10..120); also the primary value of command 1
  std::uint8_t operating_state = 0;  // 0..5
  float total_travel = 0.0f;         // 0..16500000
  friend bool operator==(const DynamicValues&, const DynamicValues&) = default;
};

std::map<std::uint8_t, float> InitialFloatValues();
std::map<std::uint8_t, std::uint8_t> InitialByteValues();

// How one timed action of command 132 (1 zero calibration, 2
// initialisation) is to go, for a script of the device's behaviour.
struct ScriptedAction {
  std::uint8_t action = 2;
  std::uint8_t result = 254;  // the state it ends with; 254 is success
  // The device stops answering, or the line to it breaks, this long after
  // the start (clock time).
  std::optional<std::chrono::milliseconds> silent_after;
  std::optional<std::chrono::milliseconds> line_break_after;
  friend bool operator==(const ScriptedAction&, const ScriptedAction&) = default;
};

struct Profile {
  Identity identity;
  std::uint8_t polling_address = 0;  // 0..15
  // Texts without trailing blanks, in the characters that packed ASCII
  // carries, at most as long as the field.
  std::string tag = "4625_1";      // 8 characters
  std::string descriptor = "-/-";  // 16
  wire::Date date = {1, 1, 2000};
  std::string message = "-/-";                                     // 32
  std::array<std::string, 5> texts = {"-/-", "-/-", "-/-", "-/-",  // command 138, 32 each
                                      "VELDAR BUTTERFLY VALVE EQ. PERC."};
  std::string product_number = "0";         // command 135, 16 characters
  std::uint32_t final_assembly_number = 0;  // 24 bits
  bool write_protect = false;
  std::map<std::uint8_t, float> floats = InitialFloatValues();       // every index of the table
  std::map<std::uint8_t, std::uint8_t> bytes = InitialByteValues();  // every index of the table
  DynamicValues dynamic;
  std::array<std::uint8_t, 4> status = {};  // command 48, St0..St3
  // The stored bits of the device status byte: 0x40 configuration changed,
  // 0x20 cold start (shown once), and the other bits as they are; 0x10
  // follows the status bytes and is not stored.
  std::uint8_t device_status = 0;
  std::uint8_t action_state = 0;  // what command 134 reports
  // In operation: moving values, the line's time per transaction (0 leaves
  // the channel's own), and faults at given times.
  Motion motion;
  std::uint32_t latency_ms = 0;
  std::vector<ScriptedFault> script;
  // Taken in order: each timed action that starts takes the first entry
  // of its kind; an action without one succeeds.
  std::vector<ScriptedAction> action_script;
  friend bool operator==(const Profile&, const Profile&) = default;
};

// Length limits of the texts, in characters.
inline constexpr std::size_t kTagLength = 8;
inline constexpr std::size_t kDescriptorLength = 16;
inline constexpr std::size_t kMessageLength = 32;
inline constexpr std::size_t kTextLength = 32;
inline constexpr std::size_t kProductNumberLength = 16;

// Reads a profile file. Raises ComError 53 when the file is missing and 321
// when it is damaged: not well-formed, an unknown or repeated element or
// attribute, a value that is no number, a text that packed ASCII cannot
// carry or that is too long, an index the device does not know, a value
// outside its parameter's range. The message names the file and the place.
Profile LoadProfile(const std::filesystem::path& file);
// The same for a profile's text; `source` names it in messages.
Profile ParseProfile(const std::string& text, const std::string& source);

}  // namespace dtm::device
