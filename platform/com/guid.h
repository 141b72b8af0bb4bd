#pragma once
// Class and interface identifiers.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dtm::com {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
  std::string ToString() const;
  // Accepts the braced form in either letter case; nullopt otherwise.
  static std::optional<Guid> Parse(const std::string& text);

  friend bool operator==(const Guid&, const Guid&) = default;
  friend auto operator<=>(const Guid&, const Guid&) = default;
};

}  // namespace dtm::com
