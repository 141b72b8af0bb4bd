#include "component/dtm/library.h"

#include "component/common/identity.h"
#include "component/dtm/dtm_main.h"
#include "component/dtm/function_man.h"
#include "component/ui/actions/pages.h"
#include "component/ui/framework/ctl_monitor.h"
#include "component/ui/observation/pages.h"
#include "component/ui/parameters/pages.h"
#include "platform/win/registry.h"

namespace dtm {
namespace {

com::Guid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint16_t d4,
                   std::uint64_t d5) {
  com::Guid guid;
  guid.data1 = d1;
  guid.data2 = d2;
  guid.data3 = d3;
  guid.data4[0] = static_cast<std::uint8_t>(d4 >> 8);
  guid.data4[1] = static_cast<std::uint8_t>(d4);
  for (int i = 0; i < 6; ++i) {
    guid.data4[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(d5 >> (40 - 8 * i));
  }
  return guid;
}

// The DTM object, kept alive as a library object for as long as it exists.
class DTMMainFactory final : public com::ClassFactory {
 public:
  DTMMainFactory(const runtime::Services& services, std::shared_ptr<int> lock)
      : services_(services), lock_(std::move(lock)) {}
  com::ObjectPtr CreateInstance() override {
    auto dtm = std::shared_ptr<DTMMain>(new DTMMain(services_),
                                        [lock = lock_](DTMMain* p) { delete p; });
    dtm->Class_Initialize();
    return dtm;
  }

 private:
  runtime::Services services_;
  std::shared_ptr<int> lock_;
};

// A page the library serves: every object is a new, uninitialised page that
// shares the library's surroundings.
class PageFactory final : public com::ClassFactory {
 public:
  using Make = PageMake;
  PageFactory(const runtime::Services& services, std::shared_ptr<int> lock, Make make)
      : services_(services), lock_(std::move(lock)), make_(make) {}
  com::ObjectPtr CreateInstance() override { return make_(services_); }

 private:
  runtime::Services services_;
  std::shared_ptr<int> lock_;
  Make make_;
};

// The pages built so far, by class name; the frame gets "class not
// registered" for the others.
PageFactory::Make PageMaker(const std::string& class_name) {
  if (class_name == "ctlMonitor") {
    // The monitor takes its surroundings from the DTM it is initialised
    // with; it needs none before.
    return [](const runtime::Services&) -> com::ObjectPtr { return std::make_shared<ctlMonitor>(); };
  }
  for (PageMake (*folder)(const std::string&) : {ParameterPageMaker, ObservationPageMaker, ActionPageMaker}) {
    if (const PageMake make = folder(class_name)) return make;
  }
  return nullptr;
}

}  // namespace

Library::Library(const runtime::Services& services) : services_(services) {}

const std::vector<Library::ClassInfo>& Library::Classes() {
  // The DTM first; then the pages of the functions 1 to 14, in function
  // order, whose class ids end in their function number. The pages are
  // registered so the frame can look their ids up by ProgID; their class
  // objects come with the pages themselves.
  static const std::vector<ClassInfo> classes = [] {
    std::vector<ClassInfo> list = {
        {"DTMMain", MakeGuid(0x4625A001, 0x7C31, 0x4B0E, 0x9D21, 0x3A5F60C14E01)},
    };
    for (std::int32_t function_id = 1; function_id <= 14; ++function_id) {
      list.push_back({clsFunctionMan::PageClassOf(function_id),
                      MakeGuid(0x4625A100u + static_cast<std::uint32_t>(function_id), 0x7C31,
                               0x4B0E, 0x9D21,
                               0x3A5F60C14F00u + static_cast<std::uint64_t>(function_id))});
    }
    return list;
  }();
  return classes;
}

std::string Library::ProgIdOf(const std::string& class_name) { return ProgIdOfClass(class_name); }

com::HResult Library::DllRegisterServer() {
  // Every session registers: the entries are stored together, and not at
  // all when they stand already.
  win::RegistryUpdate update(services_.registry);
  for (const ClassInfo& info : Classes()) {
    const std::string prog_id = ProgIdOf(info.class_name);
    const std::string clsid = info.clsid.ToString();
    if (services_.registry.SetValue(win::kHkeyClassesRoot, prog_id + "\\CLSID",
                                    win::StringValue("", clsid)) != win::kErrorSuccess ||
        services_.registry.SetValue(win::kHkeyClassesRoot, "CLSID\\" + clsid + "\\ProgID",
                                    win::StringValue("", prog_id)) != win::kErrorSuccess) {
      return com::kEFail;
    }
  }
  return update.End() == win::kErrorSuccess ? com::kSOk : com::kEFail;
}

com::HResult Library::DllUnregisterServer() {
  win::RegistryUpdate update(services_.registry);
  for (const ClassInfo& info : Classes()) {
    services_.registry.DeleteKey(win::kHkeyClassesRoot, ProgIdOf(info.class_name));
    services_.registry.DeleteKey(win::kHkeyClassesRoot, "CLSID\\" + info.clsid.ToString());
  }
  update.End();
  return com::kSOk;
}

com::HResult Library::DllGetClassObject(const com::Guid& clsid,
                                        std::shared_ptr<com::ClassFactory>& factory) {
  factory.reset();
  if (clsid == Classes()[0].clsid) {
    factory = std::make_shared<DTMMainFactory>(services_, lock_);
    return com::kSOk;
  }
  for (const ClassInfo& info : Classes()) {
    if (info.clsid != clsid) continue;
    if (const PageFactory::Make make = PageMaker(info.class_name)) {
      factory = std::make_shared<PageFactory>(services_, lock_, make);
      return com::kSOk;
    }
  }
  return com::kClassENotAvailable;
}

com::HResult Library::DllCanUnloadNow() const {
  return lock_.use_count() == 1 ? com::kSOk : com::kSFalse;
}

void Library::AddTo(com::ClassRegistry& registry) {
  registry.AddServer(kLibraryName, [this](const com::Guid& clsid) {
    std::shared_ptr<com::ClassFactory> factory;
    DllGetClassObject(clsid, factory);
    return factory;
  });
}

}  // namespace dtm
