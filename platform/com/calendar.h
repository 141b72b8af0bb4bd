#pragma once
// The proleptic Gregorian calendar as day counts, for the date conversions
// of the automation layer and the date coding of device data.

#include <cstdint>
#include <string_view>

namespace dtm::com {

struct CivilDate {
  std::int64_t year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};

// Days since 1970-01-01 of a calendar date, and back.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);
CivilDate CivilFromDays(std::int64_t days);

bool IsLeapYear(std::int64_t year);
unsigned DaysInMonth(std::int64_t year, unsigned month);

// Days from 1970-01-01 back to 1899-12-30, the day OLE date serials count from.
inline constexpr std::int64_t kOleEpochDays = -25569;

// The OLE date serial of a calendar date's midnight.
double SerialFromCivil(const CivilDate& date);

// "d.m.yyyy" (one or two digits for day and month, four for the year,
// blanks around allowed), the form the dictionary and the user write dates
// in, read the same in every locale. False for a text of another form; a
// text of this form that names no day raises Type mismatch.
bool ParseDottedDate(std::string_view text, CivilDate& date);

}  // namespace dtm::com
