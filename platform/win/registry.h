#pragma once
// The system registry: hives of keys, each key holding ordered, typed values.
// The operations keep the contract of the Windows calls they replace
// (RegOpenKeyExA, RegEnumValueA, RegCloseKey, plus the writes that
// self-registration needs) in a C++ shape: results are Windows error codes
// (0 success, 2 not found, 234 more data, 259 no more items). Key paths use
// "\" and are matched without regard to letter case, as Windows does; value
// names are returned exactly as stored.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dtm::win {

using Hive = std::uint32_t;
constexpr Hive kHkeyClassesRoot = 0x80000000u;
constexpr Hive kHkeyCurrentUser = 0x80000001u;
constexpr Hive kHkeyLocalMachine = 0x80000002u;

constexpr std::int32_t kErrorSuccess = 0;
constexpr std::int32_t kErrorFileNotFound = 2;
constexpr std::int32_t kErrorAccessDenied = 5;         // deleting a hive itself
constexpr std::int32_t kErrorInvalidHandle = 6;        // unknown hive or key handle
constexpr std::int32_t kErrorInvalidParameter = 87;    // a key path with a line break
constexpr std::int32_t kErrorMoreData = 234;
constexpr std::int32_t kErrorNoMoreItems = 259;
constexpr std::int32_t kErrorRegistryIoFailed = 1016;  // the backing file could not be written
constexpr std::int32_t kErrorKeyDeleted = 1018;        // the open key was deleted meanwhile

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

constexpr std::uint32_t kKeyQueryValue = 1;

struct RegValue {
  std::string name;
  std::uint32_t type = kRegSz;
  std::vector<std::uint8_t> data;  // REG_SZ: the text and a NUL; REG_DWORD: 4 bytes little-endian

  friend bool operator==(const RegValue&, const RegValue&) = default;
};

using KeyHandle = std::uint64_t;  // 0 is no key

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA: opens an existing key.
  virtual std::int32_t OpenKey(Hive hive, const std::string& path, std::uint32_t access,
                               KeyHandle& key) = 0;
  // RegEnumValueA: the value at `index` of the open key. A name longer than
  // name_capacity-1 or data longer than data_capacity gives kErrorMoreData
  // and nothing else; past the last value kErrorNoMoreItems.
  virtual std::int32_t EnumValue(KeyHandle key, std::uint32_t index, std::size_t name_capacity,
                                 std::size_t data_capacity, RegValue& value) = 0;
  virtual std::int32_t CloseKey(KeyHandle key) = 0;

  // Writes for self-registration and set-up; keys are created as needed.
  // Writing an existing value (names match without regard to case, as on
  // Windows) replaces its type and data and keeps its place and spelling.
  virtual std::int32_t SetValue(Hive hive, const std::string& path, const RegValue& value) = 0;
  virtual std::int32_t DeleteKey(Hive hive, const std::string& path) = 0;  // and its sub-keys
  // Reads one value by name, without regard to case as RegQueryValueExA
  // does; "" is the key's default value (convenience for the COM layer).
  virtual std::int32_t QueryValue(Hive hive, const std::string& path, const std::string& name,
                                  RegValue& value) = 0;

  // A run of writes stored as one (a registration): between BeginUpdate and
  // the matching EndUpdate each write takes effect at once for the readers
  // but is kept back from the backing store; EndUpdate then stores them
  // together, once, and only when one of them changed something. Pairs
  // nest; the outermost EndUpdate stores. When storing fails, every change
  // since the outermost BeginUpdate is undone and EndUpdate returns
  // kErrorRegistryIoFailed; the writes themselves answered success. A
  // registry without a backing store has nothing to hold back.
  virtual void BeginUpdate() {}
  virtual std::int32_t EndUpdate() { return kErrorSuccess; }
};

// Holds a registry update open for a scope; one left without End ends on
// leaving (its result then unheard, as after an early failure).
class RegistryUpdate {
 public:
  explicit RegistryUpdate(Registry& registry) : registry_(&registry) { registry.BeginUpdate(); }
  ~RegistryUpdate() {
    if (registry_) registry_->EndUpdate();
  }
  RegistryUpdate(const RegistryUpdate&) = delete;
  RegistryUpdate& operator=(const RegistryUpdate&) = delete;

  // Ends the update now: EndUpdate's result.
  std::int32_t End() {
    Registry* registry = std::exchange(registry_, nullptr);
    return registry ? registry->EndUpdate() : kErrorSuccess;
  }

 private:
  Registry* registry_;
};

RegValue StringValue(std::string name, const std::string& text);
RegValue DwordValue(std::string name, std::uint32_t number);

// A registry held in memory. Optionally backed by a text file: loaded on
// construction, written back (ReplaceFileAtomically) after each write that
// changes something, or once at the end of an update; writing a value as
// it already is touches no file, so a file the user cannot write serves
// every caller that changes nothing.
// A user edits the file to set values such as "BusyWait".
//
// The backing file is line based, in the manner of a .reg export:
//
//   ; a comment; blank lines are ignored
//   [HKEY_LOCAL_MACHINE\Software\VELDAR AG\DTM4625_FDT12]
//   "BusyWait"="20"              REG_SZ; inside quotes \\ \" \n \r are escapes
//   "Debug"=dword:00000001       REG_DWORD, 1 to 8 hex digits
//   @="text"                     the key's default value (name "")
//   "Raw"=hex:01,ff              REG_BINARY, bytes as two hex digits each
//   "Other"=hex(7):41,00,00      any type (hex number) with its exact bytes
//
// A section names a hive (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE) and a key path; its parents are created too. A value
// line may end with blanks and a ";" comment. Any other line is damage: the
// constructor raises ComError 321 (Invalid file format) naming the file and
// the line ("<file> line 3: ..."), and nothing is loaded; a path that is no
// regular file, or one that cannot be read, raises ComError 75. A missing
// file is an empty registry; it is created by the first write. Saving
// writes every key that has values, comments or no sub-keys, REG_SZ and
// REG_DWORD in their readable forms when the data allows it, anything else
// as hex, so a save and a load give back the same keys, values, types, data
// and value order. Comment lines come back before the section or value line
// they stood before (those after the last value at the end, those ahead of
// a blank line before any section at the start), a value's own trailing
// comment after it;
// blank lines are not kept. When the file cannot be written, the write is
// undone and returns kErrorRegistryIoFailed (within an update: every write
// of the update, and EndUpdate returns it).
class MemoryRegistry final : public Registry {
 public:
  // How the backing file is written: ReplaceFileAtomically unless a test
  // watches the saves. Raises com::ComError when the file cannot be written.
  using FileWriter =
      std::function<void(const std::filesystem::path& file, std::string_view contents)>;

  MemoryRegistry();
  // Raises ComError on a damaged file.
  explicit MemoryRegistry(std::filesystem::path backing_file, FileWriter writer = {});
  ~MemoryRegistry() override;

  std::int32_t OpenKey(Hive hive, const std::string& path, std::uint32_t access,
                       KeyHandle& key) override;
  std::int32_t EnumValue(KeyHandle key, std::uint32_t index, std::size_t name_capacity,
                         std::size_t data_capacity, RegValue& value) override;
  std::int32_t CloseKey(KeyHandle key) override;
  std::int32_t SetValue(Hive hive, const std::string& path, const RegValue& value) override;
  std::int32_t DeleteKey(Hive hive, const std::string& path) override;
  std::int32_t QueryValue(Hive hive, const std::string& path, const std::string& name,
                          RegValue& value) override;
  void BeginUpdate() override;
  std::int32_t EndUpdate() override;

  std::size_t OpenKeyCount() const;  // handles not yet closed (tests check every key is closed)

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace dtm::win
