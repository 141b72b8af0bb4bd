// Every data set the tests keep, as a file: one the DTM takes comes back
// from a save and a load as it was, and saved again gives the same file.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "component/datamodel/data_element.h"
#include "host/frame/file_storage.h"
#include "platform/com/error.h"
#include "platform/com/property_bag.h"
#include "tests/fuzz/data_set_round_trip.h"
#include "tests/fuzz/fuzz_instance.h"
#include "tests/testing/temp_folder.h"

namespace dtm::testing {
namespace {

const std::filesystem::path kCorpus =
    std::filesystem::path(VD_FUZZ_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "load_fuzz";

TEST(DataSetRoundTrip, EverySetTheDtmTakesComesBackAsItWas) {
  TempFolder folder;
  std::set<std::string> taken;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    fuzz::FuzzInstance instance;
    instance.OpenMonitor();
    try {
      com::MemoryPropertyBag bag;
      frame::FileStorage(entry.path()).Load(bag);
      instance.Dtm().Class_ReadProperties(bag);
    } catch (const com::ComError&) {
      continue;  // refused whole, as a set the DTM never wrote is
    }
    ASSERT_TRUE(instance.Environment());
    taken.insert(name);
    EXPECT_EQ(fuzz::DataSetRoundTripFault(instance, folder.Path() / "set.xml"), std::nullopt);
  }
  // The sets of this component; the damaged, foreign and unfitting ones
  // are refused.
  EXPECT_EQ(taken, (std::set<std::string>{"floats_beyond.xml", "full_upload.xml"}));
}

TEST(DataSetRoundTrip, NewInstanceComesBackAsItWas) {
  TempFolder folder;
  fuzz::FuzzInstance instance;
  ASSERT_TRUE(instance.InitNew());
  ASSERT_TRUE(instance.Environment());
  EXPECT_EQ(fuzz::DataSetRoundTripFault(instance, folder.Path() / "set.xml"), std::nullopt);
}

// The set a frame saves after the user gave a ten-character tag.
TEST(DataSetRoundTrip, TenCharacterTagComesBackWithItsMark) {
  TempFolder folder;
  fuzz::FuzzInstance instance;
  ASSERT_TRUE(instance.InitNew());
  ASSERT_TRUE(instance.Environment());
  auto& parameters = instance.Context().Parameters();
  auto tag = std::dynamic_pointer_cast<clsDataElement>(parameters.Item("~/Tag"));
  tag->TransientValue = com::Variant("ABCDEFGHIJ");
  parameters.NotifyChanged(tag, "");
  EXPECT_EQ(fuzz::DataSetRoundTripFault(instance, folder.Path() / "set.xml"), std::nullopt);

  fuzz::FuzzInstance loaded;
  com::MemoryPropertyBag bag;
  frame::FileStorage(folder.Path() / "set.xml").Load(bag);
  loaded.Dtm().Class_ReadProperties(bag);
  const auto device_tag =
      std::dynamic_pointer_cast<clsDataElement>(loaded.Context().Parameters().Item("UC013/Tag"));
  EXPECT_EQ(device_tag->TransientValue, com::Variant("ABCDEFGHIJ"));
  EXPECT_EQ(device_tag->StatusFlags() & 0xF000, 0x5000);
  EXPECT_EQ(loaded.Context().Parameters().DataSetState(), 2);
}

}  // namespace
}  // namespace dtm::testing
