#include "platform/com/calendar.h"

#include "platform/com/error.h"

namespace dtm::com {

// H. Hinnant's days_from_civil / civil_from_days.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

bool IsLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(std::int64_t y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

double SerialFromCivil(const CivilDate& date) {
  return static_cast<double>(DaysFromCivil(date.year, date.month, date.day) - kOleEpochDays);
}

bool ParseDottedDate(std::string_view text, CivilDate& date) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  unsigned fields[3] = {0, 0, 0};
  std::size_t widths[3] = {0, 0, 0};
  std::size_t field = 0;
  for (const char c : text) {
    if (c == '.') {
      if (++field == 3) return false;
    } else if (c >= '0' && c <= '9') {
      fields[field] = fields[field] * 10 + static_cast<unsigned>(c - '0');
      ++widths[field];
    } else {
      return false;
    }
  }
  if (field != 2 || widths[0] < 1 || widths[0] > 2 || widths[1] < 1 || widths[1] > 2 ||
      widths[2] != 4) {
    return false;
  }
  const unsigned month = fields[1];
  if (month < 1 || month > 12 || fields[0] < 1 || fields[0] > DaysInMonth(fields[2], month)) {
    ThrowTypeMismatch("Date");
  }
  date = {fields[2], month, fields[0]};
  return true;
}

}  // namespace dtm::com
