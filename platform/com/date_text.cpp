#include "platform/com/date_text.h"

#include <cmath>

#include "platform/com/calendar.h"
#include <cstdint>
#include <cstdio>
#include <vector>

namespace dtm::com::detail {

namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr std::int64_t kEpochOffset = -25569;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits at `sep` into fields of 1..4 digits; false on anything else.
bool SplitNumbers(std::string_view text, char sep, std::vector<std::string_view>& fields) {
  fields.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(sep, start);
    const std::string_view field =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (field.empty() || field.size() > 4) return false;
    for (const char c : field) {
      if (!IsDigit(c)) return false;
    }
    fields.push_back(field);
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

int ToInt(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// Four digits as written; two digits in the window 1930..2029.
bool ReadYear(std::string_view field, int& year) {
  if (field.size() == 4) {
    year = ToInt(field);
    return year >= 100;
  }
  if (field.size() == 2) {
    const int short_year = ToInt(field);
    year = short_year < 30 ? 2000 + short_year : 1900 + short_year;
    return true;
  }
  return false;
}

bool ParseDate(std::string_view text, const Locale& locale, std::int64_t& days) {
  std::vector<std::string_view> fields;
  int year = 0;
  int month = 0;
  int day = 0;
  if (SplitNumbers(text, '-', fields) && fields.size() == 3 && fields[0].size() == 4) {
    year = ToInt(fields[0]);
    month = ToInt(fields[1]);
    day = ToInt(fields[2]);
    if (fields[1].size() > 2 || fields[2].size() > 2 || year < 100) return false;
  } else if (SplitNumbers(text, locale.date_sep, fields) && fields.size() == 3) {
    const std::string_view day_field = locale.day_first ? fields[0] : fields[1];
    const std::string_view month_field = locale.day_first ? fields[1] : fields[0];
    if (day_field.size() > 2 || month_field.size() > 2) return false;
    if (!ReadYear(fields[2], year)) return false;
    day = ToInt(day_field);
    month = ToInt(month_field);
  } else {
    return false;
  }
  if (month < 1 || month > 12 || day < 1) return false;
  if (static_cast<unsigned>(day) > DaysInMonth(year, static_cast<unsigned>(month))) return false;
  days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
         kEpochOffset;
  return true;
}

bool ParseTime(std::string_view text, int& seconds) {
  std::vector<std::string_view> fields;
  if (!SplitNumbers(text, ':', fields) || fields.size() < 2 || fields.size() > 3) return false;
  for (const auto field : fields) {
    if (field.size() > 2) return false;
  }
  const int hour = ToInt(fields[0]);
  const int minute = ToInt(fields[1]);
  const int second = fields.size() == 3 ? ToInt(fields[2]) : 0;
  if (hour > 23 || minute > 59 || second > 59) return false;
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ParseDateText(std::string_view text, const Locale& locale, double& serial) {
  text = Trim(text);
  std::int64_t days = 0;
  int seconds = 0;
  const std::size_t blank = text.find(' ');
  if (blank != std::string_view::npos) {
    if (!ParseDate(text.substr(0, blank), locale, days) ||
        !ParseTime(Trim(text.substr(blank + 1)), seconds)) {
      return false;
    }
  } else if (!ParseTime(text, seconds) && !ParseDate(text, locale, days)) {
    return false;
  }
  const double fraction = seconds / 86400.0;
  const auto whole = static_cast<double>(days);
  serial = days < 0 ? whole - fraction : whole + fraction;
  return true;
}

std::string FormatDate(double serial, const Locale& locale) {
  const double whole = std::trunc(serial);
  auto days = static_cast<std::int64_t>(whole);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(serial - whole) * 86400.0));
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  if (days == 0) return time;

  const CivilDate civil = CivilFromDays(days + kEpochOffset);
  char date[32];
  // Day-first locales write two-digit day and month; month-first ones do not.
  if (locale.day_first) {
    std::snprintf(date, sizeof date, "%02u%c%02u%c%04lld", civil.day, locale.date_sep,
                  civil.month, locale.date_sep, static_cast<long long>(civil.year));
  } else {
    std::snprintf(date, sizeof date, "%u%c%u%c%04lld", civil.month, locale.date_sep, civil.day,
                  locale.date_sep, static_cast<long long>(civil.year));
  }
  std::string text = date;
  if (seconds != 0) text += std::string(" ") + time;
  return text;
}

}  // namespace dtm::com::detail
