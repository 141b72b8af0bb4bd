#include "host/device/parameters.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dtm::device {

namespace {

constexpr float kAny = std::numeric_limits<float>::max();

constexpr FloatParameter kFloats[] = {
    // Travel and angle ranges.
    {46, 42.0f, 0.0f, 1023.0f, true},  // lever length (linear actuator)
    {10, 15.0f, 0.0f, 255.9f, true},   // rated travel, mm
    {11, 0.0f, 0.0f, 255.9f, true},    // lower travel setting, mm
    {12, 15.0f, 0.0f, 255.9f, true},   // upper travel setting, mm
    {61, 90.0f, 0.0f, 360.0f, true},   // rated angle (rotary actuator), degree
    {62, 0.0f, 0.0f, 120.0f, true},    // lower angle setting, degree
    {63, 60.0f, 0.0f, 120.0f, true},   // upper angle setting, degree
    // Manual set point and the position transmitter's test value.
    {kManualSetPointIndex, 4.0f, 3.8f, 22.0f, true},  // mA
    {51, 0.0f, 0.0f, 120.0f, true},                   // %
    // Control.
    {20, 1.2f, 0.01f, 10.0f, true},  // gain, supply air
    {23, 1.2f, 0.01f, 10.0f, true},  // gain, exhaust air
    {21, 0.12f, 0.0f, 1.0f, true},   // derivative gain
    {22, 0.5f, 0.01f, 10.0f, true},  // dead zone, %
    {67, 0.5f, 0.01f, 10.0f, true},  // limit of the pulse adaptation, %
    // The user characteristic: x0..x10, then y0..y10, in percent.
    {24, 0.0f, 0.0f, 100.0f, true},
    {25, 17.7f, 0.0f, 100.0f, true},
    {26, 31.4f, 0.0f, 100.0f, true},
    {27, 50.2f, 0.0f, 100.0f, true},
    {28, 65.5f, 0.0f, 100.0f, true},
    {29, 72.6f, 0.0f, 100.0f, true},
    {30, 78.7f, 0.0f, 100.0f, true},
    {31, 90.6f, 0.0f, 100.0f, true},
    {32, 93.5f, 0.0f, 100.0f, true},
    {33, 96.1f, 0.0f, 100.0f, true},
    {34, 100.0f, 0.0f, 100.0f, true},
    {35, 0.0f, 0.0f, 100.0f, true},
    {36, 10.5f, 0.0f, 100.0f, true},
    {37, 18.4f, 0.0f, 100.0f, true},
    {38, 30.9f, 0.0f, 100.0f, true},
    {39, 43.8f, 0.0f, 100.0f, true},
    {40, 50.7f, 0.0f, 100.0f, true},
    {41, 58.2f, 0.0f, 100.0f, true},
    {42, 75.7f, 0.0f, 100.0f, true},
    {43, 81.3f, 0.0f, 100.0f, true},
    {44, 87.9f, 0.0f, 100.0f, true},
    {45, 100.0f, 0.0f, 100.0f, true},
    // Set point range, run times, travel integral.
    {14, 20.0f, 4.0f, 20.0f, true},             // end of the set point range, mA
    {13, 4.0f, 4.0f, 20.0f, true},              // start of the set point range, mA
    {56, 0.0f, 0.0f, 240.0f, true},             // run time closing, s
    {19, 0.0f, 0.0f, 240.0f, true},             // run time opening, s
    {60, 1000000.0f, 1.0f, 16500000.0f, true},  // limit of the travel integral
    {55, 0.0f, 0.0f, 240.0f, false},            // minimum run time closing, s
    {52, 0.0f, 0.0f, 240.0f, false},            // minimum run time opening, s
    // Limits.
    {18, 100.0f, 0.0f, 120.0f, true},  // upper travel limit, %
    {17, 0.0f, -20.0f, 99.9f, true},   // lower travel limit, %
    {59, 10.0f, 0.0f, 240.0f, true},   // control loop monitoring, s
    {58, 5.0f, 0.1f, 10.0f, true},     // control loop monitoring, %
    {16, 99.0f, 0.0f, 125.0f, true},   // tight closing above, %
    {15, 1.0f, -2.5f, 100.0f, true},   // tight closing below, %
    {48, 2.0f, 0.0f, 120.0f, true},    // limit 1, %
    {49, 98.0f, 0.0f, 120.0f, true},   // limit 2, %
    // Revisions, actuator number, maximum travel.
    {69, 0.0f, -kAny, kAny, false},     // electronics revision
    {54, 0.0f, 0.0f, 999999.0f, true},  // actuator's manufacturer number
    {68, 0.0f, -kAny, kAny, false},     // communication firmware revision
    {66, 0.0f, 0.0f, 127.0f, false},    // maximum travel found by the initialisation, %
    {53, 0.0f, -kAny, kAny, false},     // mechanics revision
    {50, 0.0f, -kAny, kAny, false},     // control firmware revision
};

constexpr std::array<std::uint8_t, 6> kOffOn = {0, 1};

constexpr ByteParameter kBytes[] = {
    {72, 0, kOffOn, 2, true},        // actuator: 0 linear, 1 rotary
    {67, 0, kOffOn, 2, true},        // attachment: 0 integrated, 1 NAMUR
    {85, 0, kOffOn, 2, true},        // pin position: 0 A, 1 B
    {70, 1, {1, 2, 3, 4}, 4, true},  // travel pick-off: D1, D2, S90, S120
    {91, 1, kOffOn, 2, true},        // direction of the arrow
    {86, 0, kOffOn, 2, true},        // 0 single, 1 double acting
    {92, 0, kOffOn, 2, true},        // initialise on 0 maximum, 1 rated range
    {84, 0, kOffOn, 2, false},       // explosion protection approval
    {83, 0, kOffOn, 2, false},       // state of the solenoid valve
    {kOperatingModeIndex, 0, {0, 1, 2}, 3, true},
    {69, 1, {0, 1, 2, 4}, 4, true},   // characteristic: user, linear, eq. %, inverse
    {76, 0, kOffOn, 2, true},         // limit contacts installed
    {78, 1, kOffOn, 2, true},         // alarm: communication fault
    {77, 1, kOffOn, 2, true},         // alarm: special function
    {79, 1, kOffOn, 2, true},         // alarm: travel integral
    {68, 0, kOffOn, 2, true},         // direction of action of the set point
    {80, 0, kOffOn, 2, true},         // direction of the position transmitter
    {87, 0, kOffOn, 2, true},         // switching direction of limit 1
    {88, 1, kOffOn, 2, true},         // switching direction of limit 2
    {66, 2, {0, 1, 2, 3}, 4, false},  // fail-safe position (2 unknown)
    {75, 0, {0, 1, 2}, 3, false},     // limit contact option
    {74, 0, kOffOn, 2, false},        // solenoid valve option
    {73, 0, kOffOn, 2, false},        // position transmitter option
    {kInitWarningsIndex, 0, {0, 12, 13, 15, 254, 255}, 6, false},
    {kLimit1Index, 0, kOffOn, 2, false},
    {kLimit2Index, 0, kOffOn, 2, false},
    {kFaultAlarmIndex, 0, kOffOn, 2, false},
};

}  // namespace

std::span<const FloatParameter> FloatParameters() { return kFloats; }
std::span<const ByteParameter> ByteParameters() { return kBytes; }

const FloatParameter* FindFloatParameter(std::uint8_t index) {
  for (const FloatParameter& parameter : kFloats) {
    if (parameter.index == index) return &parameter;
  }
  return nullptr;
}

const ByteParameter* FindByteParameter(std::uint8_t index) {
  for (const ByteParameter& parameter : kBytes) {
    if (parameter.index == index) return &parameter;
  }
  return nullptr;
}

Fit CheckValue(const FloatParameter& parameter, float value) {
  if (std::isnan(value)) return Fit::kNotAllowed;
  if (value > parameter.maximum) return Fit::kTooLarge;
  if (value < parameter.minimum) return Fit::kTooSmall;
  return Fit::kInside;
}

Fit CheckValue(const ByteParameter& parameter, std::uint8_t value) {
  const std::span<const std::uint8_t> allowed = parameter.Allowed();
  if (std::find(allowed.begin(), allowed.end(), value) != allowed.end()) return Fit::kInside;
  if (value > allowed.back()) return Fit::kTooLarge;
  if (value < allowed.front()) return Fit::kTooSmall;
  return Fit::kNotAllowed;
}

}  // namespace dtm::device
