#pragma once
// The component library as an in-process server: its classes with their
// class ids and ProgIDs ("VD4625FDT." and the class name), self-registration
// into the system registry, and the class objects that create instances.

#include <memory>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/runtime/services.h"
#include "platform/win/class_registry.h"

namespace dtm {

class Library {
 public:
  struct ClassInfo {
    std::string class_name;
    com::Guid clsid;
  };

  explicit Library(const runtime::Services& services);

  // The classes this library registers: DTMMain first, then the fourteen
  // pages in function order (Classes()[n] is the page of function n).
  static const std::vector<ClassInfo>& Classes();
  static std::string ProgIdOf(const std::string& class_name);

  // Writes HKCR\<ProgID>\CLSID and HKCR\CLSID\{id}\ProgID for every class.
  com::HResult DllRegisterServer();
  com::HResult DllUnregisterServer();
  // The class object of DTMMain; CLASS_E_CLASSNOTAVAILABLE for any other
  // id, the registered pages' included: they have no class objects yet.
  com::HResult DllGetClassObject(const com::Guid& clsid, std::shared_ptr<com::ClassFactory>& factory);
  // S_OK when no object of the library is alive, else S_FALSE.
  com::HResult DllCanUnloadNow() const;

  // Makes the library's class objects known to the process's class table.
  void AddTo(com::ClassRegistry& registry);

 private:
  runtime::Services services_;
  // Every live object holds a copy; the count tells whether the library may unload.
  std::shared_ptr<int> lock_ = std::make_shared<int>(0);
};

}  // namespace dtm
