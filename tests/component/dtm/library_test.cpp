// The library as an in-process server: self-registration, class objects
// and the ProgIDs a client creates the DTM by.

#include <gtest/gtest.h>

#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "platform/com/class_registry.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

class LibraryServer : public DtmFixture {
 protected:
  LibraryServer() { dtm_.reset(); }
  ~LibraryServer() override { com::ClassRegistry::Instance().RemoveServer(kLibraryName); }
};

TEST_F(LibraryServer, RegistersProgIdAndClassIdBothWays) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  const Library::ClassInfo& info = Library::Classes()[0];
  win::RegValue value;
  ASSERT_EQ(registry_.QueryValue(win::kHkeyClassesRoot, "VD4625FDT.DTMMain\\CLSID", "", value),
            win::kErrorSuccess);
  EXPECT_EQ(value, win::StringValue("", info.clsid.ToString()));
  ASSERT_EQ(registry_.QueryValue(win::kHkeyClassesRoot, "CLSID\\" + info.clsid.ToString() +
                                                            "\\ProgID", "", value),
            win::kErrorSuccess);
  EXPECT_EQ(value, win::StringValue("", "VD4625FDT.DTMMain"));

  ASSERT_EQ(library_.DllUnregisterServer(), com::kSOk);
  com::Guid clsid;
  EXPECT_NE(com::ClsidFromProgId(registry_, "VD4625FDT.DTMMain", clsid), com::kSOk);
}

TEST_F(LibraryServer, CreatesTheDtmByProgIdThroughTheClassTable) {
  ASSERT_EQ(library_.DllRegisterServer(), com::kSOk);
  library_.AddTo(com::ClassRegistry::Instance());
  const com::ObjectPtr object =
      com::ClassRegistry::Instance().Create("VD4625FDT.DTMMain", registry_);
  ASSERT_NE(com::QueryInterface<IDtm>(object), nullptr);
  ASSERT_NE(com::QueryInterface<IDtmInformation>(object), nullptr);
  ASSERT_NE(com::QueryInterface<IFdtCommunicationEvents>(object), nullptr);
  EXPECT_EQ(com::QueryInterface<IDtmActiveXControl>(object), nullptr);
}

TEST_F(LibraryServer, UnknownClassHasNoClassObject) {
  std::shared_ptr<com::ClassFactory> factory = nullptr;
  com::Guid other;
  other.data1 = 1;
  EXPECT_EQ(library_.DllGetClassObject(other, factory), com::kClassENotAvailable);
  EXPECT_EQ(factory, nullptr);
}

TEST_F(LibraryServer, MayUnloadOnlyWhenNoObjectLives) {
  EXPECT_EQ(library_.DllCanUnloadNow(), com::kSOk);
  com::ObjectPtr object;
  {
    std::shared_ptr<com::ClassFactory> factory;
    ASSERT_EQ(library_.DllGetClassObject(Library::Classes()[0].clsid, factory), com::kSOk);
    object = factory->CreateInstance();
  }
  EXPECT_EQ(library_.DllCanUnloadNow(), com::kSFalse);
  object.reset();
  EXPECT_EQ(library_.DllCanUnloadNow(), com::kSOk);
}

}  // namespace
}  // namespace dtm::testing
