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
//
// The root also names whose data set the file holds (library, device type
// as manufacturer and type codes, data-set format): a file of another
// component is refused; a file without these attributes (saved before they
// were written) is read, and the component then judges the entries.

#include <filesystem>
#include <string>

#include "platform/com/property_bag.h"

namespace dtm::frame {

struct DataSetIdentity {
  std::string library;
  std::string device_type;  // "<manufacturer>/<device type>", decimal codes
  std::string format;

  friend bool operator==(const DataSetIdentity&, const DataSetIdentity&) = default;
};

// The identity of this host's component's data sets.
DataSetIdentity ComponentDataSetIdentity();

class FileStorage {
 public:
  // Files larger than this are no data set of ours; refused before parsing.
  static constexpr std::uintmax_t kMaxFileSize = 16u << 20;

  explicit FileStorage(std::filesystem::path file,
                       DataSetIdentity identity = ComponentDataSetIdentity())
      : file_(std::move(file)), identity_(std::move(identity)) {}

  const std::filesystem::path& File() const { return file_; }
  bool Exists() const;

  // Replaces the bag's entries with the file's and makes the file's name
  // the bag's origin; time linear in the file's size. Raises ComError, each
  // description a whole sentence naming the file, the bag unchanged then:
  //   53  "cannot read <file>: No such file or directory"
  //   75  "<file>: not a regular file" (a folder, device or pipe), or
  //       "cannot read <file>: <reason>"
  //   321 damage or no property bag file ("<file>: entry 3 (A) holds no
  //       valid Long value"), a file above kMaxFileSize ("<file>: 17 MiB is
  //       too large for a data set; at most 16 MiB are read"), a data set of
  //       another component ("<file>: a data set of another component
  //       (library X, device type 1/2, format 1)").
  void Load(com::MemoryPropertyBag& bag) const;
  // Writes the file whole through ReplaceFileAtomically, so a failed save
  // leaves the previous file as it was. Raises ComError: 13 for an entry
  // the file cannot keep (an object) or a name it cannot carry, 75 when the
  // file cannot be written ("cannot write <file>: <reason>", "<file>: not a
  // regular file").
  void Save(const com::MemoryPropertyBag& bag) const;

 private:
  std::filesystem::path file_;
  DataSetIdentity identity_;
};

}  // namespace dtm::frame
