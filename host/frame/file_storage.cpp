#include "host/frame/file_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <span>
#include <system_error>
#include <unordered_set>

#include "component/common/identity.h"
#include "platform/com/error.h"
#include "platform/com/hex.h"
#include "platform/win/atomic_file.h"
#include "platform/xml/dom.h"

namespace dtm::frame {

namespace {

constexpr const char* kSource = "FileStorage";
constexpr const char* kRoot = "PropertyBag";
constexpr const char* kVersion = "1";
constexpr const char* kDataSetFormat = "1";
constexpr const char* kLibraryAttribute = "library";
constexpr const char* kDeviceTypeAttribute = "deviceType";
constexpr const char* kFormatAttribute = "format";

struct TypeName {
  com::VarType type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {com::VarType::Empty, "Empty"},     {com::VarType::Null, "Null"},
    {com::VarType::Integer, "Integer"}, {com::VarType::Long, "Long"},
    {com::VarType::Single, "Single"},   {com::VarType::Double, "Double"},
    {com::VarType::Date, "Date"},       {com::VarType::String, "String"},
    {com::VarType::Boolean, "Boolean"}, {com::VarType::Decimal, "Decimal"},
    {com::VarType::Byte, "Byte"},       {com::VarType::ByteArray, "ByteArray"},
};

const char* NameOf(com::VarType type) {
  for (const TypeName& entry : kTypeNames) {
    if (entry.type == type) return entry.name;
  }
  return nullptr;
}

std::optional<com::VarType> TypeOf(const std::string& name) {
  for (const TypeName& entry : kTypeNames) {
    if (name == entry.name) return entry.type;
  }
  return std::nullopt;
}

std::string Hex(const std::uint8_t* data, std::size_t size) {
  return com::HexBytes(std::span<const std::uint8_t>(data, size));
}

std::optional<com::ByteArray> FromHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  com::ByteArray bytes(text.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char* pair = text.data() + 2 * i;
    const auto [end, error] = std::from_chars(pair, pair + 2, bytes[i], 16);
    if (error != std::errc() || end != pair + 2) return std::nullopt;
  }
  return bytes;
}

// True when XML 1.0 can carry the text: valid UTF-8 of characters it allows.
bool XmlCarries(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::uint32_t code = 0;
    std::size_t length = 0;
    if (lead < 0x80) {
      code = lead;
      length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
      code = lead & 0x1Fu;
      length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      code = lead & 0x0Fu;
      length = 3;
    } else if ((lead & 0xF8) == 0xF0) {
      code = lead & 0x07u;
      length = 4;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length]) return false;  // over-long form
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                         (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                         (code >= 0x10000 && code <= 0x10FFFF);
    if (!allowed) return false;
    i += length;
  }
  return true;
}

// Shortest text that reads back to the same value, whatever the locale.
template <class T>
std::string NumberText(T value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

template <class T>
bool ParseNumber(const std::string& text, T& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

struct Encoded {
  std::optional<std::string> value;
  bool hex = false;
};

Encoded Encode(const std::string& name, const com::Variant& value) {
  switch (value.Type()) {
    case com::VarType::Empty:
    case com::VarType::Null:
      return {};
    case com::VarType::Integer:
      return {NumberText(value.ToInteger())};
    case com::VarType::Long:
      return {NumberText(value.ToLong())};
    case com::VarType::Single:
      return {NumberText(value.ToSingle())};
    case com::VarType::Double:
      return {NumberText(value.ToDouble())};
    case com::VarType::Date:
      return {NumberText(value.ToDate().serial)};
    case com::VarType::Boolean:
      return {value.ToBoolean() ? "true" : "false"};
    case com::VarType::Decimal:
      return {value.ToDecimal().ToString('.')};
    case com::VarType::Byte:
      return {NumberText(value.ToByte())};
    case com::VarType::ByteArray: {
      const com::ByteArray& bytes = value.Bytes();
      return {Hex(bytes.data(), bytes.size())};
    }
    case com::VarType::String: {
      std::string text = value.ToString();
      if (XmlCarries(text)) return {std::move(text)};
      return {Hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), true};
    }
    case com::VarType::Object:
      break;
  }
  throw com::ComError(
      com::vb::kTypeMismatch,
      "Type mismatch: the entry " + name + " holds an object; a file cannot keep it", kSource);
}

[[noreturn]] void ThrowDamaged(const std::filesystem::path& file, const std::string& why) {
  throw com::ComError(com::vb::kInvalidFileFormat, file.string() + ": " + why, kSource);
}

[[noreturn]] void ThrowUnreadable(const std::filesystem::path& file, int error) {
  throw com::ComError(error == ENOENT ? com::vb::kFileNotFound : com::vb::kPathFileAccessError,
                      "cannot read " + file.string() + ": " + std::strerror(error), kSource);
}

// The whole file, read through one descriptor so that what is checked is
// what is read: a regular file of at most `limit` bytes. Opened without
// blocking, so a pipe given as the file is refused rather than waited on.
std::string ReadDataSetFile(const std::filesystem::path& file, std::uintmax_t limit) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) ThrowUnreadable(file, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) ThrowUnreadable(file, errno);
  if (!S_ISREG(info.st_mode)) {
    throw com::ComError(com::vb::kPathFileAccessError, file.string() + ": not a regular file",
                        kSource);
  }
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > limit) {
    ThrowDamaged(file, std::to_string((size + (1u << 20) - 1) >> 20) +
                           " MiB is too large for a data set; at most " +
                           std::to_string(limit >> 20) + " MiB are read");
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowUnreadable(file, errno);
    if (n == 0) break;  // shrunk meanwhile: what is there is the file
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return text;
}

std::string DescribeIdentity(const std::optional<std::string>& library,
                             const std::optional<std::string>& device_type,
                             const std::optional<std::string>& format) {
  return "library " + library.value_or("(none)") + ", device type " +
         device_type.value_or("(none)") + ", format " + format.value_or("(none)");
}

// The entry's value, or nullopt when its text is no value of its type.
std::optional<com::Variant> Decode(com::VarType type, const std::optional<std::string>& text,
                                   bool hex) {
  if (type == com::VarType::Empty) return text ? std::nullopt : std::optional(com::Variant());
  if (type == com::VarType::Null) {
    return text ? std::nullopt : std::optional(com::Variant::Null());
  }
  if (!text) return std::nullopt;
  if (hex && type != com::VarType::String) return std::nullopt;
  switch (type) {
    case com::VarType::Integer: {
      std::int16_t v = 0;
      if (ParseNumber(*text, v)) return com::Variant(v);
      break;
    }
    case com::VarType::Long: {
      std::int32_t v = 0;
      if (ParseNumber(*text, v)) return com::Variant(v);
      break;
    }
    case com::VarType::Single: {
      float v = 0;
      if (ParseNumber(*text, v)) return com::Variant(v);
      break;
    }
    case com::VarType::Double: {
      double v = 0;
      if (ParseNumber(*text, v)) return com::Variant(v);
      break;
    }
    case com::VarType::Date: {
      double v = 0;
      if (ParseNumber(*text, v)) return com::Variant::Date(v);
      break;
    }
    case com::VarType::Byte: {
      std::uint8_t v = 0;
      if (ParseNumber(*text, v)) return com::Variant(v);
      break;
    }
    case com::VarType::Boolean:
      if (*text == "true") return com::Variant(true);
      if (*text == "false") return com::Variant(false);
      break;
    case com::VarType::Decimal:
      try {
        return com::Variant(com::Decimal::Parse(*text));
      } catch (const com::ComError&) {
        break;
      }
    case com::VarType::ByteArray:
      if (auto bytes = FromHex(*text)) return com::Variant(std::move(*bytes));
      break;
    case com::VarType::String:
      if (!hex) return com::Variant(*text);
      if (auto bytes = FromHex(*text))
        return com::Variant(std::string(bytes->begin(), bytes->end()));
      break;
    default:
      break;
  }
  return std::nullopt;
}

}  // namespace

DataSetIdentity ComponentDataSetIdentity() {
  return {kLibraryName,
          std::to_string(kSupportedManufacturerCode) + "/" +
              std::to_string(kSupportedDeviceTypeCode),
          kDataSetFormat};
}

bool FileStorage::Exists() const {
  std::error_code ignored;
  return std::filesystem::is_regular_file(file_, ignored);
}

void FileStorage::Load(com::MemoryPropertyBag& bag) const {
  const std::string text = ReadDataSetFile(file_, kMaxFileSize);
  xml::Document document;
  if (!document.LoadXml(text)) ThrowDamaged(file_, document.ParseError());
  const xml::Node root = document.DocumentElement();
  if (!root || root.Name() != kRoot) ThrowDamaged(file_, "not a property bag file");
  if (root.Attribute("version") != kVersion) {
    ThrowDamaged(file_, "property bag version " + root.Attribute("version").value_or("(none)") +
                            " is not known");
  }
  const std::optional<std::string> library = root.Attribute(kLibraryAttribute);
  const std::optional<std::string> device_type = root.Attribute(kDeviceTypeAttribute);
  const std::optional<std::string> format = root.Attribute(kFormatAttribute);
  if ((library || device_type || format) &&
      !(library == identity_.library && device_type == identity_.device_type &&
        format == identity_.format)) {
    ThrowDamaged(file_, "a data set of another component (" +
                            DescribeIdentity(library, device_type, format) + ")");
  }

  // Everything is read before the bag changes: a damaged entry leaves it as it was.
  std::vector<std::pair<std::string, com::Variant>> entries;
  std::unordered_set<std::string> names;
  std::size_t number = 0;
  for (const xml::Node& node : root.Children()) {
    const std::string where = "entry " + std::to_string(++number);
    if (node.Name() != "Entry") {
      ThrowDamaged(file_, where + " is an element " + node.Name() + ", not Entry");
    }
    const std::optional<std::string> name = node.Attribute("name");
    if (!name) ThrowDamaged(file_, where + " has no name");
    if (!names.insert(*name).second) ThrowDamaged(file_, where + " repeats the name " + *name);
    const std::string type_name = node.Attribute("type").value_or("");
    const std::optional<com::VarType> type = TypeOf(type_name);
    if (!type)
      ThrowDamaged(file_, where + " (" + *name + ") has the unknown type '" + type_name + "'");
    const std::optional<std::string> encoding = node.Attribute("encoding");
    if (encoding && *encoding != "hex") {
      ThrowDamaged(file_, where + " (" + *name + ") has the unknown encoding " + *encoding);
    }
    std::optional<com::Variant> value =
        Decode(*type, node.Attribute("value"), encoding.has_value());
    if (!value) {
      ThrowDamaged(file_, where + " (" + *name + ") holds no valid " + type_name + " value");
    }
    entries.emplace_back(*name, std::move(*value));
  }

  bag.Clear();
  for (auto& [name, value] : entries) bag.WriteProperty(name, value);
  bag.SetOrigin(file_.string());
}

void FileStorage::Save(const com::MemoryPropertyBag& bag) const {
  xml::Document document;
  document.SetDocumentElement(document.CreateElement(kRoot));
  xml::Node root = document.DocumentElement();
  root.SetAttribute("version", kVersion);
  root.SetAttribute(kLibraryAttribute, identity_.library);
  root.SetAttribute(kDeviceTypeAttribute, identity_.device_type);
  root.SetAttribute(kFormatAttribute, identity_.format);
  for (const auto& [name, value] : bag.Entries()) {
    if (!XmlCarries(name)) {
      throw com::ComError(com::vb::kTypeMismatch,
                          "The entry name " +
                              Hex(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()) +
                              " (hex) cannot be kept in a file",
                          kSource);
    }
    const Encoded encoded = Encode(name, value);
    xml::Node entry = root.AddElement("Entry");
    entry.SetAttribute("name", name);
    entry.SetAttribute("type", NameOf(value.Type()));
    if (encoded.hex) entry.SetAttribute("encoding", "hex");
    if (encoded.value) entry.SetAttribute("value", *encoded.value);
  }

  win::ReplaceFileAtomically(file_, document.Xml());
}

}  // namespace dtm::frame
