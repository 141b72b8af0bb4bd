#pragma once
// Dates as the automation conversions read and write them: OLE date serials
// (days since 1899-12-30; the fraction is the time of day, counted forward
// from midnight also for days before the epoch: -1.25 is 1899-12-29 06:00).
// Internal to the COM layer; callers use Variant.

#include <string>
#include <string_view>

#include "platform/com/locale.h"

namespace dtm::com::detail {

// The range a Date can hold: 0100-01-01 to 9999-12-31, open at both ends
// by a whole day since the time of day extends the last one.
constexpr double kDateSerialLow = -657435.0;
constexpr double kDateSerialHigh = 2958466.0;
inline bool IsValidDateSerial(double serial) {
  return serial > kDateSerialLow && serial < kDateSerialHigh;
}

// The locale's short date (or ISO yyyy-mm-dd), optionally followed by a
// blank and h:mm[:ss]; or a time alone. False when the text is no date.
bool ParseDateText(std::string_view text, const Locale& locale, double& serial);

// The locale's short date (day first: dd.mm.yyyy; month first: m/d/yyyy),
// then " hh:mm:ss" when there is a time of day. A serial whose day is
// 1899-12-30 (serial in (-1, 1)) shows the time alone, as automation shows
// an unset Date. `serial` must satisfy IsValidDateSerial.
std::string FormatDate(double serial, const Locale& locale);

}  // namespace dtm::com::detail
