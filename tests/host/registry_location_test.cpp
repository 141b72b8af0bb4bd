// Where the host's registry file lives, and that no folder chain is made
// for a place the user named.

#include "host/frame/registry_location.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/error.h"
#include "tests/testing/temp_folder.h"

namespace dtm::frame {
namespace {

class RegistryLocation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.Path().empty()); }
  std::string In(const std::string& name) const { return (folder_.Path() / name).string(); }
  dtm::testing::TempFolder folder_;
};

TEST_F(RegistryLocation, NamedFileInAnExistingFolderIsTakenAsItIs) {
  const std::string file = In("reg.reg");
  EXPECT_EQ(UsableRegistryFile({file.c_str(), nullptr, nullptr}), file);
  EXPECT_TRUE(folder_.Entries().empty());  // the file is made by the first change only
}

TEST_F(RegistryLocation, BareNameLiesInTheCurrentFolder) {
  EXPECT_EQ(UsableRegistryFile({"reg.reg", nullptr, nullptr}), "reg.reg");
}

TEST_F(RegistryLocation, NamedFileInAMissingFolderIsAnErrorAndMakesNoFolder) {
  const std::string file = In("a/b/reg.reg");
  try {
    UsableRegistryFile({file.c_str(), nullptr, nullptr});
    ADD_FAILURE() << "a missing folder was accepted";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 76);
    EXPECT_EQ(error.Description(), "cannot use the registry file " + file +
                                       ": the folder " + In("a/b") + " does not exist");
  }
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(RegistryLocation, DefaultIsTheHostsFolderInTheConfigurationFolder) {
  const std::string config = In("config");
  EXPECT_EQ(UsableRegistryFile({"", config.c_str(), "/nowhere"}),
            In("config/vd4625/registry.reg"));
  EXPECT_TRUE(std::filesystem::is_directory(In("config/vd4625")));
  EXPECT_EQ(UsableRegistryFile({nullptr, nullptr, folder_.Path().c_str()}),
            In(".config/vd4625/registry.reg"));
}

}  // namespace
}  // namespace dtm::frame
