#pragma once
// The user's regional settings as the automation conversions see them: text
// to number and number to text follow the decimal mark of a locale, the way
// the operating system's settings steer them. A locale is a plain value;
// nothing in the process holds a current one. Each conversion that reads or
// writes text takes the locale it follows, and an instance finds the user's
// locale in its services (LocaleSetting), as it finds its clock there.

#include <cstdint>
#include <string>

namespace dtm::com {

struct Locale {
  char decimal = '.';     // decimal mark
  char group = ',';       // digit grouping mark, accepted on input
  bool day_first = false; // date order of the short date: d.m.y (German) or m/d/y
  char date_sep = '/';
  std::string true_text = "True";
  std::string false_text = "False";

  // Immutable; the references stay valid for the life of the process.
  static const Locale& English();
  static const Locale& German();
  // The locale of a Windows locale id: German for the German primary
  // language (the low 10 bits 7: 1031, 2055, ...), English for any other.
  static const Locale& OfLocaleId(std::int32_t locale_id);
};

// The locale one set of services hands to its instances: English until
// set. Instances made from copies of the same services share the setting
// (they hold the same LocaleSetting), others are independent of it.
class LocaleSetting {
 public:
  // Valid until the next Set.
  const Locale& Get() const { return locale_; }
  void Set(const Locale& locale) { locale_ = locale; }

 private:
  Locale locale_ = Locale::English();
};

}  // namespace dtm::com
