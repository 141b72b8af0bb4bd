#include "component/common/lang_supp.h"

#include <limits>

#include "platform/com/error.h"

namespace dtm::LangSupp {

std::int16_t PrimaryLangId(std::int32_t lcid) { return static_cast<std::int16_t>(lcid % 1024); }

std::int16_t SubLangId(std::int32_t lcid) { return static_cast<std::int16_t>((lcid / 1024) & 63); }

std::int32_t MakeLcid(std::int16_t primary, std::int16_t sub, std::int16_t sort) {
  const std::int64_t lcid = std::int64_t{primary} + std::int64_t{sub} * 1024 +
                            std::int64_t{sort} * 65536;
  if (lcid < std::numeric_limits<std::int32_t>::min() ||
      lcid > std::numeric_limits<std::int32_t>::max()) {
    com::ThrowOverflow();
  }
  return static_cast<std::int32_t>(lcid);
}

}  // namespace dtm::LangSupp
