#include "component/common/bas_cvmk.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>

#include "platform/com/error.h"
#include "platform/com/hex.h"

namespace dtm::basCVMK {
namespace {

// Travel counters: whole numbers.
constexpr std::array<const char*, 3> kLongPaths = {"SC128Tr10/Par4", "SC128Tr13/Par2",
                                                   "SC136/TotTravel"};
// Shown with one decimal when the format asks for it, else whole.
constexpr std::array<const char*, 4> kTenthPaths = {"SC128Tr1/Par1", "SC128Tr1/Par2",
                                                    "SC128Tr1/Par3", "SC128Tr2/Par1"};
// Rounded to hundredths, to nearest.
constexpr std::array<const char*, 2> kHundredthPaths = {"SC128Tr14/Par1", "SC128Tr14/Par4"};
// Never shown below zero.
constexpr const char* kNonNegativePath = "SC128Tr15/Par2";

template <std::size_t N>
bool IsOneOf(const std::string& path, const std::array<const char*, N>& paths) {
  for (const char* p : paths) {
    if (path == p) return true;
  }
  return false;
}

// A zero never carries a sign into the display.
double PlainZero(double value) { return value == 0 ? 0.0 : value; }
float PlainZero(float value) { return value == 0 ? 0.0f : value; }

// CSng: a finite double beyond the Single range is Overflow, not UB.
float ToSingle(double value) {
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) {
    com::ThrowOverflow();
  }
  return static_cast<float>(value);
}

}  // namespace

bool IsCountPath(const std::string& path) { return IsOneOf(path, kLongPaths); }

std::int32_t CVL(const std::string& text) {
  if (text.size() != 4) throw com::ComError(1000, "Invalid string argument", "CVL");
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  }
  return static_cast<std::int32_t>(bits);
}

std::string ByteToHexStr(std::uint8_t value) {
  return " " + com::HexBytes(std::span<const std::uint8_t>(&value, 1));
}

std::string PipeToBlank(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '|') c = ' ';
  }
  return out;
}

com::Variant RoundParamValue(const std::string& path, const com::Variant& value,
                             const std::string& fmt) {
  const double v = value.ToDouble();
  if (IsOneOf(path, kLongPaths)) {
    // A device may send not-a-number or a count no Long holds: such a
    // value is passed on as it is, whole, for the caller to judge.
    if (!std::isfinite(v)) return value;
    const double whole = com::RoundHalfEven(v, 0);
    if (whole < std::numeric_limits<std::int32_t>::min() ||
        whole > std::numeric_limits<std::int32_t>::max()) {
      return com::Variant(PlainZero(whole));
    }
    return com::Variant(static_cast<std::int32_t>(whole));
  }
  if (IsOneOf(path, kTenthPaths)) {
    return com::Variant(PlainZero(com::RoundHalfEven(v, fmt == "0.0" ? 1 : 0)));
  }
  if (IsOneOf(path, kHundredthPaths)) return com::Variant(PlainZero(com::RoundHalfEven(v, 2)));

  // Round to hundredths, and up by one hundredth when that fell below the
  // value: the Single nearest a hundredth may itself lie below it.
  float r = ToSingle(com::RoundHalfEven(v, 2));
  if (static_cast<double>(r) < v) r = ToSingle(com::RoundHalfEven(static_cast<double>(r) + 0.01, 2));
  if (fmt == "0.0") {
    r = ToSingle(com::RoundHalfEven(r, 1));
  } else if (fmt == "0") {
    r = ToSingle(com::RoundHalfEven(r, 0));
  }
  if (path == kNonNegativePath && r < 0) r = 0.0f;
  return com::Variant(PlainZero(r));
}

}  // namespace dtm::basCVMK
