#pragma once
// The user's regional settings as the automation conversions see them: text
// to number and number to text follow the decimal mark of this locale, the
// way the operating system's settings steer them. One setting for the
// process (the user has one locale at a time); tests swap it with
// ScopedLocale to run a table under both.

#include <string>

namespace dtm::com {

struct Locale {
  char decimal = '.';     // decimal mark
  char group = ',';       // digit grouping mark, accepted on input
  bool day_first = false; // date order of the short date: d.m.y (German) or m/d/y
  char date_sep = '/';
  std::string true_text = "True";
  std::string false_text = "False";

  static const Locale& English();
  static const Locale& German();
};

const Locale& CurrentLocale();
void SetCurrentLocale(const Locale& locale);

class ScopedLocale {
 public:
  explicit ScopedLocale(const Locale& locale);
  ~ScopedLocale();
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  Locale saved_;
};

}  // namespace dtm::com
