#pragma once
// The component's settings in the system registry, read the way the
// component has always read them: by enumerating the key's values and
// comparing names exactly, so a value whose name differs only in letter
// case is not the setting.

#include <string>

#include "platform/com/variant.h"
#include "platform/win/registry.h"

namespace dtm::Registry {

// Where the settings live, below HKEY_LOCAL_MACHINE.
constexpr const char kRegistryPath[] = "Software\\VELDAR AG\\DTM4625_FDT12";

// `value_name` in `path`\`sub_key` as text (a DWORD as its decimal text);
// `default_text` when the key or the value is missing.
std::string GetRegString(win::Registry& registry, const std::string& path,
                         const std::string& sub_key, const std::string& value_name,
                         const std::string& default_text,
                         win::Hive hive = win::kHkeyLocalMachine);

// `value_name` in `path`\`sub_key`: a DWORD as a Long, any other type as its
// text up to the first NUL. Names and data longer than 255 bytes end the
// search, so such a value (and every value after it) counts as missing and
// gives `default_value`; so does a missing key. The key is always closed.
// A DWORD whose data is not 4 bytes raises ComError 1000 from "CVL".
com::Variant QueryRegValue(win::Registry& registry, win::Hive hive, const std::string& path,
                           const std::string& sub_key, const std::string& value_name,
                           const com::Variant& default_value);

// `text` up to its first NUL.
std::string TrimNull(const std::string& text);

}  // namespace dtm::Registry
