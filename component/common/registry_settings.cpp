#include "component/common/registry_settings.h"

#include "component/common/bas_cvmk.h"

namespace dtm::Registry {
namespace {

// The buffers the settings were always read with.
constexpr std::size_t kNameCapacity = 255;
constexpr std::size_t kDataCapacity = 255;

class OpenedKey {
 public:
  OpenedKey(win::Registry& registry, win::Hive hive, const std::string& path)
      : registry_(registry) {
    if (registry_.OpenKey(hive, path, win::kKeyQueryValue, key_) != win::kErrorSuccess) key_ = 0;
  }
  ~OpenedKey() {
    if (key_ != 0) registry_.CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  bool IsOpen() const { return key_ != 0; }
  win::KeyHandle Handle() const { return key_; }

 private:
  win::Registry& registry_;
  win::KeyHandle key_ = 0;
};

}  // namespace

std::string GetRegString(win::Registry& registry, const std::string& path,
                         const std::string& sub_key, const std::string& value_name,
                         const std::string& default_text, win::Hive hive) {
  return QueryRegValue(registry, hive, path, sub_key, value_name, com::Variant(default_text))
      .ToString();
}

com::Variant QueryRegValue(win::Registry& registry, win::Hive hive, const std::string& path,
                           const std::string& sub_key, const std::string& value_name,
                           const com::Variant& default_value) {
  OpenedKey key(registry, hive, path + "\\" + sub_key);
  if (!key.IsOpen()) return default_value;
  win::RegValue value;
  for (std::uint32_t index = 0;
       registry.EnumValue(key.Handle(), index, kNameCapacity, kDataCapacity, value) ==
       win::kErrorSuccess;
       ++index) {
    if (value.name != value_name) continue;
    const std::string data(value.data.begin(), value.data.end());
    if (value.type == win::kRegDword) return com::Variant(basCVMK::CVL(data));
    return com::Variant(TrimNull(data));
  }
  return default_value;
}

std::string TrimNull(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace dtm::Registry
