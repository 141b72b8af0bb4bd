#pragma once
// The device's two parameter tables: the float parameters that commands
// 128 and 129 read and write, and the one-byte parameters of commands 130
// and 131. Each table is keyed by its own index byte; some numbers occur in
// both tables and name different parameters there.

#include <array>
#include <cstdint>
#include <span>

namespace dtm::device {

struct FloatParameter {
  std::uint8_t index;
  float initial;
  float minimum;  // a write or a profile value must lie in minimum..maximum
  float maximum;
  bool writable;  // false: command 129 answers access denied
};

struct ByteParameter {
  std::uint8_t index;
  std::uint8_t initial;
  std::array<std::uint8_t, 6> allowed;  // the values the device accepts, ascending
  std::uint8_t allowed_count;
  bool writable;  // false: command 131 answers access denied

  std::span<const std::uint8_t> Allowed() const { return {allowed.data(), allowed_count}; }
};

// Float parameters with a special role in the device.
inline constexpr std::uint8_t kManualSetPointIndex = 6;        // the manual set point w (mA)
inline constexpr std::uint8_t kFirstCharacteristicIndex = 24;  // x0; x10 is 34, y0 35
inline constexpr std::uint8_t kLastCharacteristicIndex = 45;   // y10
// Byte parameters with a special role.
inline constexpr std::uint8_t kOperatingModeIndex = 65;  // 0 automatic, 1 manual, 2 fail-safe
inline constexpr std::uint8_t kFaultAlarmIndex = 71;     // state of the fault alarm output
inline constexpr std::uint8_t kLimit1Index = 81;         // state of limit contact 1
inline constexpr std::uint8_t kLimit2Index = 82;         // state of limit contact 2
inline constexpr std::uint8_t kInitWarningsIndex = 98;   // warnings of the last initialisation

std::span<const FloatParameter> FloatParameters();
std::span<const ByteParameter> ByteParameters();
// Null for an index the table does not hold.
const FloatParameter* FindFloatParameter(std::uint8_t index);
const ByteParameter* FindByteParameter(std::uint8_t index);

// How a value fits its parameter; the device answers the last three with
// response codes 3, 4 and 2.
enum class Fit { kInside, kTooLarge, kTooSmall, kNotAllowed };
Fit CheckValue(const FloatParameter& parameter, float value);  // NaN is not allowed
Fit CheckValue(const ByteParameter& parameter, std::uint8_t value);

}  // namespace dtm::device
