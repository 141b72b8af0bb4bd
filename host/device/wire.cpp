#include "host/device/wire.h"

#include <bit>
#include <chrono>

namespace dtm::device::wire {

void PutByte(Bytes& out, std::uint8_t value) { out.push_back(value); }

void PutUInt24(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void PutSingle(Bytes& out, float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  out.push_back(static_cast<std::uint8_t>(bits >> 24));
  out.push_back(static_cast<std::uint8_t>(bits >> 16));
  out.push_back(static_cast<std::uint8_t>(bits >> 8));
  out.push_back(static_cast<std::uint8_t>(bits));
}

std::uint32_t GetUInt24(std::span<const std::uint8_t> bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 16) | (std::uint32_t{bytes[at + 1]} << 8) |
         std::uint32_t{bytes[at + 2]};
}

float GetSingle(std::span<const std::uint8_t> bytes, std::size_t at) {
  const std::uint32_t bits = (std::uint32_t{bytes[at]} << 24) |
                             (std::uint32_t{bytes[at + 1]} << 16) |
                             (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
  return std::bit_cast<float>(bits);
}

bool IsPackable(char c) { return c >= 0x20 && c <= 0x5F; }

Bytes PackAscii(std::string_view text, std::size_t byte_count) {
  Bytes out;
  out.reserve(byte_count);
  const std::size_t chars = byte_count / 3 * 4;
  for (std::size_t group = 0; group < chars; group += 4) {
    std::uint32_t bits = 0;
    for (std::size_t i = group; i < group + 4; ++i) {
      char c = i < text.size() ? text[i] : ' ';
      if (!IsPackable(c)) c = '?';
      bits = (bits << 6) | (static_cast<std::uint32_t>(c) & 0x3Fu);
    }
    PutUInt24(out, bits);
  }
  return out;
}

std::string UnpackAscii(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::size_t at = 0; at + 3 <= bytes.size(); at += 3) {
    const std::uint32_t bits = GetUInt24(bytes, at);
    for (int shift = 18; shift >= 0; shift -= 6) {
      const auto code = static_cast<std::uint8_t>((bits >> shift) & 0x3Fu);
      // Codes 0..31 stand for 0x40..0x5F, 32..63 for themselves.
      text.push_back(static_cast<char>(code < 0x20 ? code | 0x40 : code));
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool IsValidDate(const Date& date) {
  if (date.year < 1900 || date.year > 2155) return false;
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return false;
  const std::chrono::year_month_day ymd{std::chrono::year{date.year},
                                        std::chrono::month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
  return ymd.ok();
}

void PutDate(Bytes& out, const Date& date) {
  out.push_back(static_cast<std::uint8_t>(date.day));
  out.push_back(static_cast<std::uint8_t>(date.month));
  out.push_back(static_cast<std::uint8_t>(date.year - 1900));
}

Date GetDate(std::span<const std::uint8_t> bytes, std::size_t at) {
  return {bytes[at], bytes[at + 1], 1900 + bytes[at + 2]};
}

}  // namespace dtm::device::wire
