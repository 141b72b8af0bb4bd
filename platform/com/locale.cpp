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

}  // namespace dtm::com
