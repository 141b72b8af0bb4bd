#include "platform/com/locale.h"

namespace dtm::com {

const Locale& Locale::English() {
  static const Locale locale{'.', ',', false, '/', "True", "False"};
  return locale;
}

const Locale& Locale::German() {
  static const Locale locale{',', '.', true, '.', "True", "False"};
  return locale;
}

namespace {
Locale& Current() {
  static Locale current = Locale::English();
  return current;
}
}  // namespace

const Locale& CurrentLocale() { return Current(); }
void SetCurrentLocale(const Locale& locale) { Current() = locale; }

ScopedLocale::ScopedLocale(const Locale& locale) : saved_(CurrentLocale()) {
  SetCurrentLocale(locale);
}
ScopedLocale::~ScopedLocale() { SetCurrentLocale(saved_); }

}  // namespace dtm::com
