#pragma once
// The process's table of in-process servers, as the COM library keeps it:
// a loaded library registers the class objects it serves by class id; a
// client creates an instance by class id, or by ProgID through the system
// registry that the library's self-registration filled. This table is the
// one global of the system; main and the test main fill it explicitly.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/com/error.h"
#include "platform/com/guid.h"
#include "platform/com/object.h"

namespace dtm::win {
class Registry;
}

namespace dtm::com {

class ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  virtual ObjectPtr CreateInstance() = 0;
};

class ClassRegistry {
 public:
  static ClassRegistry& Instance();

  // The class objects of one library (its DllGetClassObject).
  using ClassObjectSource = std::function<std::shared_ptr<ClassFactory>(const Guid& clsid)>;
  void AddServer(std::string library, ClassObjectSource source);
  void RemoveServer(const std::string& library);
  void Clear();

  // CoCreateInstance: raises REGDB_E_CLASSNOTREG when no server serves the id.
  ObjectPtr Create(const Guid& clsid) const;
  // Looks the ProgID up in `registry` (CLSIDFromProgID), then creates.
  ObjectPtr Create(const std::string& prog_id, win::Registry& registry) const;

 private:
  std::map<std::string, ClassObjectSource> servers_;
};

// CLSIDFromProgID against the system registry: HKEY_CLASSES_ROOT\<ProgID>\CLSID.
// Returns S_OK and the id, or CO_E_CLASSSTRING when the ProgID is unknown.
HResult ClsidFromProgId(win::Registry& registry, const std::string& prog_id, Guid& clsid);

}  // namespace dtm::com
