#pragma once
// What a profile says about a device in operation: values that move over
// clock time, how long each transaction takes on the line, and faults
// scripted at given times since the device was switched on, so that a
// page reading cyclically meets them.

#include <cstdint>
#include <vector>

namespace dtm::device {

// The device in operation (profile element <Motion>). While enabled, the
// current input swings as a triangle between w_low and w_high; in the
// automatic mode w follows it over the set point range (floats 13 and 14),
// in the manual mode w is the manual set point (float 6), in the fail-safe
// position w is safety_w. The position x follows w with the time constant
// lag_ms, e is w - x, the total travel adds up every movement of x. Limit
// contact 1 is on while x lies below limit 1 (float 48), contact 2 while x
// lies above limit 2 (float 49); the fault alarm is on while |e| has stayed
// above the control-loop band (float 58) for its time (float 59).
struct Motion {
  bool enabled = false;
  float w_low = 4.0f;                // mA
  float w_high = 20.0f;              // mA
  std::uint32_t period_ms = 60000;   // one swing up and down
  std::uint32_t lag_ms = 2000;       // x's time constant
  float safety_w = 0.0f;             // %
  friend bool operator==(const Motion&, const Motion&) = default;
};

// A fault the device meets at a time since it was switched on (profile
// element <Script>, one <Fault> each).
struct ScriptedFault {
  enum class Kind : std::uint8_t {
    kBusy,            // every request within span_ms answers `code` (busy) without data
    kLostConnection,  // the line breaks at the next request; the device stays silent then
    kResponseCode,    // `replies` answers (of `command`, 0..255; -1 any) get `code`
  };
  Kind kind = Kind::kBusy;
  std::uint32_t at_ms = 0;
  std::uint32_t span_ms = 0;
  std::uint8_t code = 32;
  std::int16_t command = -1;
  int replies = 1;
  friend bool operator==(const ScriptedFault&, const ScriptedFault&) = default;
};

}  // namespace dtm::device
