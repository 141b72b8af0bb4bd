#pragma once
// Where the frame keeps an instance's data set between runs: a property bag
// in an XML file of its own format, one element per entry in bag order:
//
//   <PropertyBag version="1">
//     <Entry name="XX001" type="Integer" value="12"/>
//     <Entry name="Tag" type="String" value="TV-101"/>
//     <Entry name="Raw" type="ByteArray" value="01FF"/>
//     <Entry name="Odd" type="String" encoding="hex" value="41011F"/>
//     <Entry name="None" type="Empty"/>
//   </PropertyBag>
//
// type is the Variant subtype: Empty, Null, Integer, Long, Single, Double,
// Date (the serial), String, Boolean ("true"/"false"), Decimal, Byte or
// ByteArray (two hex digits a byte). Numbers are written without regard to
// the locale and read back exactly. A String that XML cannot carry (control
// characters, broken UTF-8) is kept as the hex of its bytes. Objects cannot
// be kept.

#include <filesystem>

#include "platform/com/property_bag.h"

namespace dtm::frame {

class FileStorage {
 public:
  explicit FileStorage(std::filesystem::path file) : file_(std::move(file)) {}

  const std::filesystem::path& File() const { return file_; }
  bool Exists() const;

  // Replaces the bag's entries with the file's. Raises ComError 53 when the
  // file is missing and 321 when it is damaged or no property bag file; the
  // bag is unchanged then.
  void Load(com::MemoryPropertyBag& bag) const;
  // Writes a temporary file beside the file and renames it over the file,
  // so a failed save leaves the previous file as it was. Raises ComError:
  // 13 for an entry the file cannot keep (an object) or a name it cannot
  // carry, 75 when the file cannot be written.
  void Save(const com::MemoryPropertyBag& bag) const;

 private:
  std::filesystem::path file_;
};

}  // namespace dtm::frame
