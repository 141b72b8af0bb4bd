#pragma once
// Locale ids: a primary language in the low 10 bits, a sub-language in the
// next 6, a sort order from bit 16.

#include <cstdint>

namespace dtm::LangSupp {

// lcid mod 1024 (the low 10 bits for a valid id): 0x0407 gives 7.
std::int16_t PrimaryLangId(std::int32_t lcid);

// (lcid / 1024) and 63: 0x0407 gives 1, 0x0809 gives 2.
std::int16_t SubLangId(std::int32_t lcid);

// primary + sub * 1024 + sort * 65536; Overflow when that does not fit a Long.
std::int32_t MakeLcid(std::int16_t primary, std::int16_t sub, std::int16_t sort);

}  // namespace dtm::LangSupp
