#include "platform/win/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/com/error.h"
#include "platform/com/hex.h"
#include "platform/win/atomic_file.h"

namespace dtm::win {
namespace {

constexpr const char* kErrorSource = "Registry";

struct HiveName {
  Hive hive;
  const char* name;
};
constexpr HiveName kHiveNames[] = {{kHkeyClassesRoot, "HKEY_CLASSES_ROOT"},
                                   {kHkeyCurrentUser, "HKEY_CURRENT_USER"},
                                   {kHkeyLocalMachine, "HKEY_LOCAL_MACHINE"}};

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Path components without empty ones, so "A\\B" and "\A\B\" name "A\B".
std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> components;
  std::string component;
  for (char c : path) {
    if (c == '\\') {
      if (!component.empty()) components.push_back(std::move(component));
      component.clear();
    } else {
      component.push_back(c);
    }
  }
  if (!component.empty()) components.push_back(std::move(component));
  return components;
}

std::string Fold(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = FoldCase(c);
  return folded;
}

// A user's ";" comments in the backing file, kept with the line they stand
// before (or at the end of) so that a save writes them back.
struct Notes {
  std::vector<std::string> leading;  // whole comment lines before the line
  std::string trailing;              // the blanks and ";" comment after a value, or ""
};

struct Key {
  std::string display;  // the spelling of the first write, for the backing file
  std::vector<RegValue> values;
  std::vector<Notes> value_notes;  // one per value, same order
  std::vector<std::string> leading;  // comment lines before the section line
};

// Keyed by hive and the case-folded path; "" is the hive's own key.
using KeyId = std::pair<Hive, std::string>;
using KeyMap = std::map<KeyId, Key>;

KeyMap EmptyHives() {
  KeyMap keys;
  for (const auto& h : kHiveNames) keys[{h.hive, ""}] = Key{};
  return keys;
}

bool KnownHive(Hive hive) {
  for (const auto& h : kHiveNames) {
    if (h.hive == hive) return true;
  }
  return false;
}

// Creates the key and its parents; returns the key.
Key& CreateKey(KeyMap& keys, Hive hive, const std::vector<std::string>& components) {
  Key* key = &keys[{hive, ""}];
  std::string folded;
  for (const auto& component : components) {
    const std::string parent_display = key->display;
    if (!folded.empty()) folded += '\\';
    folded += Fold(component);
    auto [it, inserted] = keys.try_emplace({hive, folded});
    if (inserted) it->second.display = parent_display.empty() ? component : parent_display + "\\" + component;
    key = &it->second;
  }
  return *key;
}

std::string FoldedPath(const std::vector<std::string>& components) {
  std::string folded;
  for (const auto& component : components) {
    if (!folded.empty()) folded += '\\';
    folded += Fold(component);
  }
  return folded;
}

RegValue* FindValue(Key& key, const std::string& name) {
  for (auto& existing : key.values) {
    if (SameTextIgnoringCase(existing.name, name)) return &existing;
  }
  return nullptr;
}

void PutValue(Key& key, const RegValue& value, Notes notes = {}) {
  if (RegValue* existing = FindValue(key, value.name)) {
    existing->type = value.type;
    existing->data = value.data;
    return;
  }
  key.values.push_back(value);
  key.value_notes.push_back(std::move(notes));
}

// ---- Backing file --------------------------------------------------------

const char* HiveText(Hive hive) {
  for (const auto& h : kHiveNames) {
    if (h.hive == hive) return h.name;
  }
  return "";
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string HexBytes(const std::vector<std::uint8_t>& data) {
  return com::HexBytes(data, ",", com::HexDigits::kLower);
}

// Readable only when loading the text gives back these exact bytes.
bool IsPlainText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0) return false;
  }
  return true;
}

std::string FormatData(const RegValue& value) {
  if (value.type == kRegSz && IsPlainText(value.data)) {
    return Quote(std::string(value.data.begin(), value.data.end() - 1));
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    const std::uint32_t number = static_cast<std::uint32_t>(value.data[0]) |
                                 static_cast<std::uint32_t>(value.data[1]) << 8 |
                                 static_cast<std::uint32_t>(value.data[2]) << 16 |
                                 static_cast<std::uint32_t>(value.data[3]) << 24;
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return text;
  }
  if (value.type == kRegBinary) return "hex:" + HexBytes(value.data);
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
  return prefix + HexBytes(value.data);
}

// All paths that start with "<path>\" sort together from that prefix on.
bool HasSubKey(const KeyMap& keys, const KeyId& id) {
  const std::string prefix = id.second + "\\";
  const auto next = keys.lower_bound({id.first, prefix});
  return next != keys.end() && next->first.first == id.first &&
         next->first.second.starts_with(prefix);
}

constexpr const char* kNewFileHeader =
    "; Registry values, one section per key. Edit while no program uses it.";

void AppendLines(std::string& out, const std::vector<std::string>& lines) {
  for (const auto& line : lines) out += line + '\n';
}

// The user's comments come back where they stood; blank lines are not kept.
std::string FormatFile(const KeyMap& keys, const std::vector<std::string>& preamble,
                       const std::vector<std::string>& trailer) {
  std::string out;
  AppendLines(out, preamble);
  for (auto it = keys.begin(); it != keys.end(); ++it) {
    const auto& [id, key] = *it;
    // Parents are implied by their sub-keys' sections.
    if (key.values.empty() && key.leading.empty() &&
        (id.second.empty() || HasSubKey(keys, id))) {
      continue;
    }
    if (!out.empty()) out += '\n';  // a blank line between sections, none ahead of the first
    AppendLines(out, key.leading);
    out += '[';
    out += HiveText(id.first);
    if (!key.display.empty()) out += "\\" + key.display;
    out += "]\n";
    for (std::size_t i = 0; i < key.values.size(); ++i) {
      const RegValue& value = key.values[i];
      const Notes& notes = key.value_notes[i];
      AppendLines(out, notes.leading);
      out += value.name.empty() ? std::string("@") : Quote(value.name);
      out += '=';
      out += FormatData(value);
      out += notes.trailing;
      out += '\n';
    }
  }
  if (!trailer.empty()) {
    if (!out.empty()) out += '\n';
    AppendLines(out, trailer);
  }
  return out;
}

class FileParser {
 public:
  explicit FileParser(std::filesystem::path file) : file_(std::move(file)) {}

  struct Result {
    KeyMap keys;
    std::vector<std::string> preamble;  // comments before a blank line ahead of any section
    std::vector<std::string> trailer;   // comments after the last value
  };

  Result Parse(std::istream& in) {
    Result result{EmptyHives(), {}, {}};
    Key* current = nullptr;
    std::vector<std::string> comments;  // not yet given to a line
    std::string line;
    while (std::getline(in, line)) {
      ++line_number_;
      text_ = Trim(line);
      pos_ = 0;
      if (text_.empty()) {
        // A blank line ends the file's own heading; comments after it stand
        // before the first section.
        if (current == nullptr) {
          result.preamble.insert(result.preamble.end(), comments.begin(), comments.end());
          comments.clear();
        }
        continue;
      }
      if (text_[0] == ';') {
        comments.push_back(text_);
      } else if (text_[0] == '[') {
        current = &ParseSection(result.keys);
        current->leading.insert(current->leading.end(), comments.begin(), comments.end());
        comments.clear();
      } else {
        if (current == nullptr) Fail("a value before the first section");
        Notes notes{std::move(comments), {}};
        comments.clear();
        const RegValue value = ParseValue(notes.trailing);
        PutValue(*current, value, std::move(notes));
      }
    }
    if (current == nullptr) {
      result.preamble.insert(result.preamble.end(), comments.begin(), comments.end());
    } else {
      result.trailer = std::move(comments);
    }
    return result;
  }

 private:
  static std::string Trim(const std::string& line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
  }

  [[noreturn]] void Fail(const std::string& reason) const {
    throw com::ComError(com::vb::kInvalidFileFormat,
                        file_.string() + " line " +
                            std::to_string(line_number_) + ": " + reason,
                        kErrorSource);
  }

  Key& ParseSection(KeyMap& keys) {
    if (text_.back() != ']') Fail("a section without its closing ']'");
    const auto components = SplitPath(text_.substr(1, text_.size() - 2));
    if (components.empty()) Fail("a section without a hive");
    std::optional<Hive> hive;
    for (const auto& h : kHiveNames) {
      if (SameTextIgnoringCase(components[0], h.name)) hive = h.hive;
    }
    if (!hive) Fail("unknown hive '" + components[0] + "'");
    return CreateKey(keys, *hive, std::vector<std::string>(components.begin() + 1, components.end()));
  }

  RegValue ParseValue(std::string& trailing) {
    RegValue value;
    if (Peek() == '@') {
      ++pos_;
    } else if (Peek() == '"') {
      value.name = ParseQuoted();
    } else {
      Fail("a line that is neither a section, a value nor a comment");
    }
    SkipBlanks();
    if (Peek() != '=') Fail("'=' expected after the value name");
    ++pos_;
    SkipBlanks();
    if (Peek() == '"') {
      const std::string text = ParseQuoted();
      value.type = kRegSz;
      value.data.assign(text.begin(), text.end());
      value.data.push_back(0);
    } else if (TakeWord("dword:")) {
      const std::uint32_t number = ParseHexNumber(8, "dword");
      value.type = kRegDword;
      value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                    static_cast<std::uint8_t>(number >> 16),
                    static_cast<std::uint8_t>(number >> 24)};
    } else if (TakeWord("hex:")) {
      value.type = kRegBinary;
      value.data = ParseHexBytes();
    } else if (TakeWord("hex(")) {
      value.type = ParseHexNumber(8, "value type");
      if (!TakeWord("):")) Fail("'):' expected after the value type");
      value.data = ParseHexBytes();
    } else {
      Fail("unknown kind of value data");
    }
    const std::size_t data_end = pos_;
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] != ';') Fail("unexpected text after the value");
    trailing = pos_ < text_.size() ? text_.substr(data_end) : std::string();
    return value;
  }

  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  void SkipBlanks() {
    while (Peek() == ' ' || Peek() == '\t') ++pos_;
  }

  bool TakeWord(std::string_view word) {
    if (text_.size() - pos_ < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (FoldCase(text_[pos_ + i]) != word[i]) return false;
    }
    pos_ += word.size();
    return true;
  }

  std::string ParseQuoted() {
    ++pos_;  // the opening quote
    std::string out;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      switch (Peek()) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: Fail("unknown escape in quoted text");
      }
      ++pos_;
    }
    Fail("quoted text without its closing '\"'");
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::uint32_t ParseHexNumber(std::size_t max_digits, const char* what) {
    std::uint32_t number = 0;
    std::size_t digits = 0;
    while (HexDigit(Peek()) >= 0) {
      if (++digits > max_digits) Fail(std::string("too many digits in the ") + what);
      number = number << 4 | static_cast<std::uint32_t>(HexDigit(Peek()));
      ++pos_;
    }
    if (digits == 0) Fail(std::string("hex digits expected for the ") + what);
    return number;
  }

  std::vector<std::uint8_t> ParseHexBytes() {
    std::vector<std::uint8_t> bytes;
    if (HexDigit(Peek()) < 0) return bytes;  // no bytes at all
    for (;;) {
      const int high = HexDigit(Peek());
      const int low = pos_ + 1 < text_.size() ? HexDigit(text_[pos_ + 1]) : -1;
      if (high < 0 || low < 0) Fail("two hex digits expected for each byte");
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
      pos_ += 2;
      if (Peek() != ',') return bytes;
      ++pos_;
    }
  }

  std::filesystem::path file_;
  std::size_t line_number_ = 0;
  std::string text_;
  std::size_t pos_ = 0;
};

// nullopt when there is no file yet.
std::optional<FileParser::Result> LoadFile(const std::filesystem::path& file) {
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return std::nullopt;
  if (error) {
    throw com::ComError(com::vb::kPathFileAccessError,
                        "cannot read " + file.string() + ": " + error.message(), kErrorSource);
  }
  if (status.type() != std::filesystem::file_type::regular) {
    throw com::ComError(com::vb::kPathFileAccessError, file.string() + ": not a regular file",
                        kErrorSource);
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw com::ComError(com::vb::kPathFileAccessError,
                        "cannot read " + file.string() + ": " + std::strerror(errno),
                        kErrorSource);
  }
  return FileParser(file).Parse(in);
}

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

RegValue StringValue(std::string name, const std::string& text) {
  RegValue value{std::move(name), kRegSz, std::vector<std::uint8_t>(text.begin(), text.end())};
  value.data.push_back(0);
  return value;
}

RegValue DwordValue(std::string name, std::uint32_t number) {
  return RegValue{std::move(name), kRegDword,
                  {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                   static_cast<std::uint8_t>(number >> 16),
                   static_cast<std::uint8_t>(number >> 24)}};
}

struct MemoryRegistry::Impl {
  KeyMap keys = EmptyHives();
  std::optional<std::filesystem::path> backing_file;
  FileWriter writer;
  std::vector<std::string> preamble{kNewFileHeader};
  std::vector<std::string> trailer;
  std::map<KeyHandle, KeyId> open_keys;
  KeyHandle next_handle = 1;
  // An update open: its depth, the keys before it, whether a write in it
  // changed something.
  int update_depth = 0;
  KeyMap before_update;
  bool update_changed = false;

  // The keys as they are before a change: the snapshot a failed save puts
  // back. Within an update the one taken at its start serves.
  std::optional<KeyMap> Snapshot() const {
    if (update_depth > 0) return std::nullopt;
    return keys;
  }

  // Saves after a change; on failure puts `before` back. Within an update
  // the save waits for its end.
  std::int32_t Commit(std::optional<KeyMap> before) {
    if (update_depth > 0) {
      update_changed = true;
      return kErrorSuccess;
    }
    return Save(std::move(*before));
  }

  std::int32_t Save(KeyMap before) {
    if (!backing_file) return kErrorSuccess;
    try {
      const std::string contents = FormatFile(keys, preamble, trailer);
      if (writer) {
        writer(*backing_file, contents);
      } else {
        ReplaceFileAtomically(*backing_file, contents);
      }
    } catch (const com::ComError&) {
      keys = std::move(before);
      return kErrorRegistryIoFailed;
    }
    return kErrorSuccess;
  }
};

MemoryRegistry::MemoryRegistry() : impl_(std::make_unique<Impl>()) {}

MemoryRegistry::MemoryRegistry(std::filesystem::path backing_file, FileWriter writer)
    : impl_(std::make_unique<Impl>()) {
  if (auto loaded = LoadFile(backing_file)) {
    impl_->keys = std::move(loaded->keys);
    impl_->preamble = std::move(loaded->preamble);
    impl_->trailer = std::move(loaded->trailer);
  }
  impl_->backing_file = std::move(backing_file);
  impl_->writer = std::move(writer);
}

MemoryRegistry::~MemoryRegistry() = default;

std::int32_t MemoryRegistry::OpenKey(Hive hive, const std::string& path, std::uint32_t /*access*/,
                                     KeyHandle& key) {
  key = 0;
  if (!KnownHive(hive)) return kErrorInvalidHandle;
  KeyId id{hive, FoldedPath(SplitPath(path))};
  if (!impl_->keys.contains(id)) return kErrorFileNotFound;
  key = impl_->next_handle++;
  impl_->open_keys.emplace(key, std::move(id));
  return kErrorSuccess;
}

std::int32_t MemoryRegistry::EnumValue(KeyHandle key, std::uint32_t index,
                                       std::size_t name_capacity, std::size_t data_capacity,
                                       RegValue& value) {
  const auto open = impl_->open_keys.find(key);
  if (open == impl_->open_keys.end()) return kErrorInvalidHandle;
  const auto found = impl_->keys.find(open->second);
  if (found == impl_->keys.end()) return kErrorKeyDeleted;
  const auto& values = found->second.values;
  if (index >= values.size()) return kErrorNoMoreItems;
  const RegValue& stored = values[index];
  if (stored.name.size() + 1 > name_capacity || stored.data.size() > data_capacity) {
    return kErrorMoreData;
  }
  value = stored;
  return kErrorSuccess;
}

std::int32_t MemoryRegistry::CloseKey(KeyHandle key) {
  return impl_->open_keys.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

std::int32_t MemoryRegistry::SetValue(Hive hive, const std::string& path, const RegValue& value) {
  if (!KnownHive(hive)) return kErrorInvalidHandle;
  if (HasLineBreak(path)) return kErrorInvalidParameter;
  // The same value again is no change: nothing to save.
  const auto found = impl_->keys.find({hive, FoldedPath(SplitPath(path))});
  if (found != impl_->keys.end()) {
    const RegValue* existing = FindValue(found->second, value.name);
    if (existing && existing->type == value.type && existing->data == value.data) {
      return kErrorSuccess;
    }
  }
  std::optional<KeyMap> before = impl_->Snapshot();
  PutValue(CreateKey(impl_->keys, hive, SplitPath(path)), value);
  return impl_->Commit(std::move(before));
}

std::int32_t MemoryRegistry::DeleteKey(Hive hive, const std::string& path) {
  if (!KnownHive(hive)) return kErrorInvalidHandle;
  const std::string folded = FoldedPath(SplitPath(path));
  if (folded.empty()) return kErrorAccessDenied;
  auto& keys = impl_->keys;
  if (!keys.contains({hive, folded})) return kErrorFileNotFound;
  std::optional<KeyMap> before = impl_->Snapshot();
  const std::string prefix = folded + "\\";
  std::erase_if(keys, [&](const auto& entry) {
    const KeyId& id = entry.first;
    return id.first == hive && (id.second == folded || id.second.starts_with(prefix));
  });
  return impl_->Commit(std::move(before));
}

std::int32_t MemoryRegistry::QueryValue(Hive hive, const std::string& path,
                                        const std::string& name, RegValue& value) {
  if (!KnownHive(hive)) return kErrorInvalidHandle;
  const auto found = impl_->keys.find({hive, FoldedPath(SplitPath(path))});
  if (found == impl_->keys.end()) return kErrorFileNotFound;
  for (const auto& stored : found->second.values) {
    if (SameTextIgnoringCase(stored.name, name)) {
      value = stored;
      return kErrorSuccess;
    }
  }
  return kErrorFileNotFound;
}

void MemoryRegistry::BeginUpdate() {
  if (impl_->update_depth++ > 0) return;
  impl_->before_update = impl_->keys;
  impl_->update_changed = false;
}

std::int32_t MemoryRegistry::EndUpdate() {
  if (impl_->update_depth == 0 || --impl_->update_depth > 0) return kErrorSuccess;
  KeyMap before = std::move(impl_->before_update);
  impl_->before_update.clear();
  if (!impl_->update_changed) return kErrorSuccess;
  impl_->update_changed = false;
  return impl_->Save(std::move(before));
}

std::size_t MemoryRegistry::OpenKeyCount() const { return impl_->open_keys.size(); }

}  // namespace dtm::win
