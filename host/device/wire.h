#pragma once
// The device's own coding of HART data fields: big-endian integers, IEEE 754
// singles, HART packed ASCII (four 6-bit characters in three bytes) and the
// three-byte date (day, month, year - 1900). The simulated device codes its
// frames here rather than through the runtime's byte buffer, so that a
// fault in the DTM's coding is not mirrored by the device it talks to.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dtm::device::wire {

using Bytes = std::vector<std::uint8_t>;

void PutByte(Bytes& out, std::uint8_t value);
void PutUInt24(Bytes& out, std::uint32_t value);  // low 24 bits, high byte first
void PutSingle(Bytes& out, float value);          // IEEE 754, high byte first

// Reads at `at`; the caller has checked that the bytes are there.
std::uint32_t GetUInt24(std::span<const std::uint8_t> bytes, std::size_t at);
float GetSingle(std::span<const std::uint8_t> bytes, std::size_t at);

// Characters that packed ASCII carries: 0x20 (blank) to 0x5F ('_').
bool IsPackable(char c);
// `text` packed into `byte_count` bytes (a multiple of 3), padded with
// blanks. Characters that cannot be packed go as '?'; characters beyond
// the capacity are dropped.
Bytes PackAscii(std::string_view text, std::size_t byte_count);
// The characters of `bytes` (a multiple of 3 long), trailing blanks removed.
std::string UnpackAscii(std::span<const std::uint8_t> bytes);

struct Date {
  int day = 1;
  int month = 1;
  int year = 2000;  // 1900..2155
  friend bool operator==(const Date&, const Date&) = default;
};
// True for a calendar date of the years 1900..2155.
bool IsValidDate(const Date& date);
void PutDate(Bytes& out, const Date& date);
Date GetDate(std::span<const std::uint8_t> bytes, std::size_t at);

}  // namespace dtm::device::wire
