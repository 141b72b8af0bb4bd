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

const Locale& Locale::OfLocaleId(std::int32_t locale_id) {
  return (locale_id & 0x3FF) == 7 ? German() : English();
}

}  // namespace dtm::com
