#pragma once
// OLE colours as the forms package keeps them: 0x00BBGGRR for a colour given
// by its parts, 0x800000nn for system colour nn, which stays a code and is
// never resolved to the parts the desktop gives it.

#include <cstdint>

namespace dtm::forms {

using OleColor = std::int32_t;

constexpr OleColor Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<OleColor>(red | (green << 8) | (blue << 16));
}
constexpr OleColor SystemColor(std::uint8_t index) {
  return static_cast<OleColor>(0x80000000u | index);
}
constexpr bool IsSystemColor(OleColor color) {
  return (static_cast<std::uint32_t>(color) & 0xFFFFFF00u) == 0x80000000u;
}

namespace colors {
constexpr OleColor kBlack = 0;
constexpr OleColor kWhite = Rgb(255, 255, 255);
constexpr OleColor kWindowBackground = SystemColor(0x05);
constexpr OleColor kWindowText = SystemColor(0x08);
constexpr OleColor kApplicationWorkspace = SystemColor(0x0C);
constexpr OleColor kButtonFace = SystemColor(0x0F);
constexpr OleColor kButtonText = SystemColor(0x12);
}  // namespace colors

}  // namespace dtm::forms
