#include "platform/runtime/byte_buffer.h"

#include <bit>
#include <cmath>

#include "platform/com/calendar.h"
#include <string_view>

#include "platform/com/error.h"

namespace dtm::runtime {

namespace {

constexpr const char* kSource = "ByteBuffer";
constexpr std::int32_t kPackedCoding = 0;
constexpr std::int32_t kPlainCoding = 1;

[[noreturn]] void ThrowOutOfRange() {
  throw com::ComError(com::vb::kSubscriptOutOfRange, "Subscript out of range", kSource);
}

void CheckFormat(std::int32_t format) {
  if (format != 0) com::ThrowInvalidProcedureCall(kSource);
}

void CheckTextArguments(std::int32_t byte_count, std::int32_t coding) {
  if (byte_count < 0 || (coding != kPackedCoding && coding != kPlainCoding)) {
    com::ThrowInvalidProcedureCall(kSource);
  }
}

com::CivilDate CivilOf(const com::Variant& value, const com::Locale& locale) {
  com::CivilDate date{};
  if (value.IsString() && com::ParseDottedDate(value.ToString(), date)) return date;
  // The day counts; a time of day does not move it (-1.25 is still 1899-12-29).
  const double serial = value.ToDate(locale).serial;
  return com::CivilFromDays(static_cast<std::int64_t>(std::trunc(serial)) + com::kOleEpochDays);
}

// One code point of UTF-8 text from `i` on; a byte that starts no valid
// sequence counts as one character of its own (beyond every table below).
std::uint32_t NextCodePoint(const std::string& text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int follow = 0;
  std::uint32_t code = 0;
  if ((lead & 0xE0) == 0xC0) {
    follow = 1;
    code = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    follow = 2;
    code = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    follow = 3;
    code = lead & 0x07u;
  } else {
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(follow) > text.size()) return 0xFFFD;
  for (int k = 0; k < follow; ++k) {
    const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (next & 0x3Fu);
  }
  i += static_cast<std::size_t>(follow);
  return code;
}

void AppendUtf8(std::string& text, std::uint8_t latin1) {
  if (latin1 < 0x80) {
    text.push_back(static_cast<char>(latin1));
  } else {
    text.push_back(static_cast<char>(0xC0 | (latin1 >> 6)));
    text.push_back(static_cast<char>(0x80 | (latin1 & 0x3F)));
  }
}

// The 6-bit code of one character in packed ASCII.
std::uint32_t PackedCode(std::uint32_t c) {
  if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
  if (c < 0x20 || c > 0x5F) c = '?';
  return c & 0x3F;
}

char UnpackedChar(std::uint32_t code) {
  // Codes 0x00..0x1F stand for '@'..'_', 0x20..0x3F for ' '..'?'.
  return static_cast<char>((code & 0x20) != 0 ? code : code | 0x40);
}

}  // namespace

ByteBuffer::ByteBuffer(const com::Variant& data) { SetData(data); }

void ByteBuffer::SetPosition(std::int32_t position) {
  if (position < 0) ThrowOutOfRange();
  position_ = position;
}

com::Variant ByteBuffer::Data() const {
  if (bytes_.empty()) return {};
  return com::Variant(bytes_);
}

void ByteBuffer::SetData(const com::Variant& data) {
  bytes_ = data.IsEmpty() ? com::ByteArray{} : data.Bytes();
  position_ = 0;
}

void ByteBuffer::Need(std::int32_t count) const {
  if (count < 0) com::ThrowInvalidProcedureCall(kSource);
  if (static_cast<std::int64_t>(position_) + count > Length()) ThrowOutOfRange();
}

void ByteBuffer::Write(std::uint8_t value) {
  const auto at = static_cast<std::size_t>(position_);
  if (at < bytes_.size()) {
    bytes_[at] = value;
  } else {
    bytes_.resize(at, 0);
    bytes_.push_back(value);
  }
  ++position_;
}

std::uint32_t ByteBuffer::ReadBigEndian(int width) {
  Need(width);
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) {
    value = (value << 8) | bytes_[static_cast<std::size_t>(position_++)];
  }
  return value;
}

void ByteBuffer::WriteBigEndian(std::uint32_t value, int width) {
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
    Write(static_cast<std::uint8_t>(value >> shift));
  }
}

std::uint8_t ByteBuffer::Byte() { return static_cast<std::uint8_t>(ReadBigEndian(1)); }

std::int32_t ByteBuffer::UInt16() { return static_cast<std::int32_t>(ReadBigEndian(2)); }

std::int32_t ByteBuffer::UInt24() { return static_cast<std::int32_t>(ReadBigEndian(3)); }

std::int16_t ByteBuffer::Int16() { return static_cast<std::int16_t>(ReadBigEndian(2)); }

std::int32_t ByteBuffer::Int24() {
  const std::uint32_t raw = ReadBigEndian(3);
  // Sign bit 23 extends into the top byte.
  return static_cast<std::int32_t>((raw & 0x800000u) != 0 ? raw | 0xFF000000u : raw);
}

std::int32_t ByteBuffer::Int32() { return static_cast<std::int32_t>(ReadBigEndian(4)); }

float ByteBuffer::Single() { return std::bit_cast<float>(ReadBigEndian(4)); }

double ByteBuffer::UInt32() { return static_cast<double>(ReadBigEndian(4)); }

com::DateValue ByteBuffer::Date(std::int32_t format) {
  CheckFormat(format);
  Need(3);
  const std::int64_t day = Byte();
  const std::int64_t month = Byte();
  const std::int64_t year = 1900 + Byte();
  // Months and days beyond their range carry over, as DateSerial lets them.
  const std::int64_t month_index = year * 12 + month - 1;
  const std::int64_t first =
      com::DaysFromCivil(month_index / 12, static_cast<unsigned>(month_index % 12) + 1, 1);
  return com::DateValue{static_cast<double>(first + day - 1 - com::kOleEpochDays)};
}

std::string ByteBuffer::Text(std::int32_t byte_count, std::int32_t coding) {
  CheckTextArguments(byte_count, coding);
  Need(byte_count);
  const auto begin = bytes_.begin() + position_;
  const std::vector<std::uint8_t> raw(begin, begin + byte_count);
  position_ += byte_count;

  std::string text;
  if (coding == kPlainCoding) {
    for (const std::uint8_t b : raw) AppendUtf8(text, b);
    return text;
  }
  const std::size_t chars = raw.size() * 8 / 6;
  for (std::size_t c = 0; c < chars; ++c) {
    // Character c takes bits 6c..6c+5 of the stream, first bit the top one.
    std::uint32_t code = 0;
    for (std::size_t bit = c * 6; bit < c * 6 + 6; ++bit) {
      code = (code << 1) | ((raw[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    text.push_back(UnpackedChar(code));
  }
  return text;
}

com::ByteArray ByteBuffer::ReadBytes(std::int32_t count) {
  Need(count);
  const auto begin = bytes_.begin() + position_;
  com::ByteArray out(begin, begin + count);
  position_ += count;
  return out;
}

void ByteBuffer::PutByte(std::uint8_t value) { Write(value); }

void ByteBuffer::PutUInt16(std::int32_t value) {
  WriteBigEndian(static_cast<std::uint32_t>(value), 2);
}

void ByteBuffer::PutUInt24(std::int32_t value) {
  WriteBigEndian(static_cast<std::uint32_t>(value), 3);
}

void ByteBuffer::PutInt16(std::int16_t value) {
  WriteBigEndian(static_cast<std::uint16_t>(value), 2);
}

void ByteBuffer::PutInt24(std::int32_t value) {
  WriteBigEndian(static_cast<std::uint32_t>(value), 3);
}

void ByteBuffer::PutInt32(std::int32_t value) {
  WriteBigEndian(static_cast<std::uint32_t>(value), 4);
}

void ByteBuffer::PutSingle(float value) { WriteBigEndian(std::bit_cast<std::uint32_t>(value), 4); }

void ByteBuffer::PutUInt32(double value) {
  const double rounded = com::RoundHalfEven(value);
  if (!(rounded >= 0 && rounded <= 4294967295.0)) com::ThrowOverflow(kSource);
  WriteBigEndian(static_cast<std::uint32_t>(rounded), 4);
}

void ByteBuffer::PutDate(const com::Variant& date, std::int32_t format) {
  PutDate(date, format, com::Locale::English());
}

void ByteBuffer::PutDate(const com::Variant& date, std::int32_t format,
                         const com::Locale& locale) {
  CheckFormat(format);
  const com::CivilDate civil = CivilOf(date, locale);
  if (civil.year < 1900 || civil.year > 1900 + 255) com::ThrowOverflow(kSource);
  Write(static_cast<std::uint8_t>(civil.day));
  Write(static_cast<std::uint8_t>(civil.month));
  Write(static_cast<std::uint8_t>(civil.year - 1900));
}

void ByteBuffer::PutText(const std::string& text, std::int32_t byte_count, std::int32_t coding) {
  CheckTextArguments(byte_count, coding);
  std::vector<std::uint32_t> chars;
  for (std::size_t i = 0; i < text.size();) chars.push_back(NextCodePoint(text, i));

  const auto count = static_cast<std::size_t>(byte_count);
  if (coding == kPlainCoding) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t c = i < chars.size() ? chars[i] : ' ';
      Write(static_cast<std::uint8_t>(c <= 0xFF ? c : '?'));
    }
    return;
  }
  std::vector<std::uint8_t> packed(count, 0);
  const std::size_t slots = count * 8 / 6;
  for (std::size_t c = 0; c < slots; ++c) {
    const std::uint32_t code = PackedCode(c < chars.size() ? chars[c] : ' ');
    for (std::size_t k = 0; k < 6; ++k) {
      const std::size_t bit = c * 6 + k;
      if ((code >> (5 - k)) & 1u) packed[bit / 8] |= static_cast<std::uint8_t>(0x80u >> (bit % 8));
    }
  }
  for (const std::uint8_t b : packed) Write(b);
}

void ByteBuffer::PutBytes(const com::ByteArray& bytes, std::int32_t count) {
  if (count < 0) com::ThrowInvalidProcedureCall(kSource);
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    Write(i < bytes.size() ? bytes[i] : 0);
  }
}

}  // namespace dtm::runtime
