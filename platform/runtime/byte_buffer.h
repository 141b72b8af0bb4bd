#pragma once
// A growable byte array with a current position, as the data model codes
// and decodes HART data. Multi-byte values are big-endian (HART order);
// Single is IEEE 754. A write stores from the position on, overwriting and
// extending as needed (a gap before the position is filled with 0), and
// leaves the position behind the last byte; a read advances the position
// and raises ComError (9, "Subscript out of range") when it would pass the
// end, leaving the position where it was.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/locale.h"
#include "platform/com/object.h"

namespace dtm::runtime {

class ByteBuffer : public com::Object {
 public:
  ByteBuffer() = default;
  // A byte array, or Empty; anything else raises Type mismatch.
  explicit ByteBuffer(const com::Variant& data);

  void SetPosition(std::int32_t position);  // negative raises (9)
  std::int32_t Position() const { return position_; }
  std::int32_t Length() const { return static_cast<std::int32_t>(bytes_.size()); }
  // The bytes held as a byte array Variant; Empty when no byte was written.
  com::Variant Data() const;
  // Replaces the bytes (as the constructor takes them) and rewinds.
  void SetData(const com::Variant& data);
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  // Reads advance the position.
  std::uint8_t Byte();
  std::int32_t UInt16();
  std::int32_t UInt24();
  std::int16_t Int16();
  std::int32_t Int24();  // sign extended
  std::int32_t Int32();
  float Single();
  double UInt32();
  // Date with format 0: day, month, year - 1900 (three bytes); as an OLE
  // date. Out-of-range days and months carry over as DateSerial does (day 0
  // is the last day of the month before). Other formats raise (5).
  com::DateValue Date(std::int32_t format);
  // `byte_count` bytes of text: coding 0 HART packed (6-bit ASCII, four
  // characters in three bytes, byte_count * 8 / 6 characters), coding 1
  // plain (one Latin-1 byte a character, returned as UTF-8); trailing
  // blanks kept. Other codings and negative counts raise (5).
  std::string Text(std::int32_t byte_count, std::int32_t coding);
  com::ByteArray ReadBytes(std::int32_t count);

  // Writes.
  void PutByte(std::uint8_t value);
  void PutUInt16(std::int32_t value);  // low 16 bits
  void PutUInt24(std::int32_t value);  // low 24 bits
  void PutInt16(std::int16_t value);
  void PutInt24(std::int32_t value);  // two's complement, low 24 bits
  void PutInt32(std::int32_t value);
  void PutSingle(float value);
  // Rounded half to even; raises Overflow outside 0..4294967295.
  void PutUInt32(double value);
  // A Date, a number (a date serial), or a text: "dd.mm.yyyy" is read in
  // that order whatever the locale, any other text as CDate reads it in
  // `locale` (Locale::English() for the form without one). Raises Overflow
  // when the year lies outside 1900..2155, Type mismatch for a text that is
  // no date; other formats raise (5).
  void PutDate(const com::Variant& date, std::int32_t format);
  void PutDate(const com::Variant& date, std::int32_t format, const com::Locale& locale);
  // Packed: upper-cased, characters outside 0x20..0x5F become '?', padded
  // with blanks to byte_count*8/6 characters, the bits left over 0; plain:
  // Latin-1 ('?' for characters beyond it), padded with blanks. Both cut
  // longer texts. Other codings and negative counts raise (5).
  void PutText(const std::string& text, std::int32_t byte_count, std::int32_t coding);
  void PutBytes(const com::ByteArray& bytes, std::int32_t count);  // zero padded, cut

 private:
  void Need(std::int32_t count) const;  // raises when a read would pass the end
  void Write(std::uint8_t value);
  std::uint32_t ReadBigEndian(int width);
  void WriteBigEndian(std::uint32_t value, int width);

  std::vector<std::uint8_t> bytes_;
  std::int32_t position_ = 0;
};

}  // namespace dtm::runtime
