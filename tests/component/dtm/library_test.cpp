// The library as an in-process server: self-registration, class objects
// and the ProgIDs a client creates the DTM by.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "component/dtm/dtm_main.h"
#include "component/dtm/library.h"
#include "platform/com/error.h"
#include "platform/win/atomic_file.h"
#include "platform/win/class_registry.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/testing/temp_folder.h"

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

TEST_F(LibraryServer, RegisteringAgainWritesNoFile) {
  TempFolder folder;
  const std::filesystem::path file = folder.Path() / "registry.reg";
  win::MemoryRegistry file_registry(file);
  Library library(runtime::Services{loop_, messages_, file_registry, shell_, guids_, temp_files_,
                                    InstallFolder()});
  ASSERT_EQ(library.DllRegisterServer(), com::kSOk);
  struct stat registered {};
  ASSERT_EQ(::stat(file.c_str(), &registered), 0);

  // Every later session registers too: with nothing changed the file stays
  // the one written (a save renames a new file over it).
  win::MemoryRegistry reloaded(file);
  Library again(runtime::Services{loop_, messages_, reloaded, shell_, guids_, temp_files_,
                                  InstallFolder()});
  ASSERT_EQ(again.DllRegisterServer(), com::kSOk);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, registered.st_ino);
  EXPECT_EQ(folder.Entries(), (std::set<std::string>{"registry.reg"}));
}

// Each save of the file is a new file flushed to disk and renamed over
// the old one: a registration stores its entries in one.
TEST_F(LibraryServer, RegistrationSavesTheFileOnce) {
  TempFolder folder;
  int saves = 0;
  win::MemoryRegistry file_registry(
      folder.Path() / "registry.reg",
      [&saves](const std::filesystem::path& file, std::string_view contents) {
        ++saves;
        win::ReplaceFileAtomically(file, contents);
      });
  Library library(runtime::Services{loop_, messages_, file_registry, shell_, guids_, temp_files_,
                                    InstallFolder()});
  ASSERT_EQ(library.DllRegisterServer(), com::kSOk);
  EXPECT_EQ(saves, 1);
  win::RegValue value;
  EXPECT_EQ(win::MemoryRegistry(folder.Path() / "registry.reg")
                .QueryValue(win::kHkeyClassesRoot, "VD4625FDT.DTMMain\\CLSID", "", value),
            win::kErrorSuccess);
  ASSERT_EQ(library.DllRegisterServer(), com::kSOk);
  EXPECT_EQ(saves, 1);
  ASSERT_EQ(library.DllUnregisterServer(), com::kSOk);
  EXPECT_EQ(saves, 2);
}

TEST_F(LibraryServer, RegistrationThatCannotBeSavedFails) {
  TempFolder folder;
  win::MemoryRegistry file_registry(
      folder.Path() / "registry.reg", [](const std::filesystem::path& file, std::string_view) {
        throw com::ComError(75, "cannot write " + file.string(), "test");
      });
  Library library(runtime::Services{loop_, messages_, file_registry, shell_, guids_, temp_files_,
                                    InstallFolder()});
  EXPECT_EQ(library.DllRegisterServer(), com::kEFail);
  com::Guid clsid;
  EXPECT_NE(com::ClsidFromProgId(file_registry, "VD4625FDT.DTMMain", clsid), com::kSOk);
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
