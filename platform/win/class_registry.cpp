#include "platform/win/class_registry.h"

#include <utility>

#include "platform/com/error.h"
#include "platform/win/registry.h"

namespace dtm::com {

ClassRegistry& ClassRegistry::Instance() {
  static ClassRegistry registry;
  return registry;
}

void ClassRegistry::AddServer(std::string library, ClassObjectSource source) {
  servers_[std::move(library)] = std::move(source);
}

void ClassRegistry::RemoveServer(const std::string& library) { servers_.erase(library); }

void ClassRegistry::Clear() { servers_.clear(); }

ObjectPtr ClassRegistry::Create(const Guid& clsid) const {
  for (const auto& [library, source] : servers_) {
    if (!source) continue;
    if (const auto factory = source(clsid)) return factory->CreateInstance();
  }
  throw ComError(kRegDbEClassNotReg, "Class not registered");
}

ObjectPtr ClassRegistry::Create(const std::string& prog_id, win::Registry& registry) const {
  Guid clsid;
  if (ClsidFromProgId(registry, prog_id, clsid) != kSOk) {
    throw ComError(kCoEClassString, "Invalid class string");
  }
  return Create(clsid);
}

HResult ClsidFromProgId(win::Registry& registry, const std::string& prog_id, Guid& clsid) {
  if (prog_id.empty()) return kCoEClassString;
  win::RegValue value;
  if (registry.QueryValue(win::kHkeyClassesRoot, prog_id + "\\CLSID", "", value) !=
          win::kErrorSuccess ||
      value.type != win::kRegSz) {
    return kCoEClassString;
  }
  // REG_SZ data ends in a NUL; a writer that left it out is tolerated.
  std::string text(value.data.begin(), value.data.end());
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  const auto parsed = Guid::Parse(text);
  if (!parsed) return kCoEClassString;
  clsid = *parsed;
  return kSOk;
}

}  // namespace dtm::com
