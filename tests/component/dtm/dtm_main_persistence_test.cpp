// Saving and loading the instance data set through the frame's property
// bag, with its protocol.

#include <gtest/gtest.h>

#include "component/datamodel/data_element.h"
#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/property_bag.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

class DtmDataSet : public DtmFixture {
 protected:
  std::shared_ptr<clsDataElement> Element(DTMMain& dtm, const std::string& path) {
    return std::dynamic_pointer_cast<clsDataElement>(dtm.Context().Parameters().Item(path));
  }
  std::shared_ptr<DTMMain> NewDtm() {
    std::shared_ptr<com::ClassFactory> factory;
    library_.DllGetClassObject(Library::Classes()[0].clsid, factory);
    return std::dynamic_pointer_cast<DTMMain>(factory->CreateInstance());
  }
  std::shared_ptr<ctlMonitor> OpenMonitor(DTMMain& dtm) {
    auto monitor = std::make_shared<ctlMonitor>();
    dtm.Context().GUIMan().RegisterGUI("mon", monitor, true);
    dtm.SetMonitorInvokeID("mon");
    if (!dtm.Context().Dictionary().Document()) {
      dtm.Context().Dictionary().Load(dtm.Context(), "DTMDictionary");
    }
    dtm.Context().Dictionary().SelectLanguage(9);
    monitor->FillPhraseTable(dtm.Context());
    return monitor;
  }
  static std::vector<std::string> Lines(const ctlMonitor& monitor) {
    return {monitor.Lines().begin(), monitor.Lines().end()};
  }
  com::MemoryPropertyBag bag_;
};

TEST_F(DtmDataSet, SaveAndLoadRoundTripEveryElement) {
  SetUpInstance();
  // Edits as a page makes them, so related elements follow.
  auto edit = [&](const std::string& path, const com::Variant& value) {
    Element(*dtm_, path)->TransientValue = value;
    dtm_->Context().Parameters().NotifyChanged(Element(*dtm_, path), "");
  };
  edit("UC013/Descr", com::Variant("SAVED TEXT"));
  edit("SC128Tr2/Par2", com::Variant(33.5f));
  edit("~/Address", com::Variant(std::uint8_t{7}));
  dtm_->Class_WriteProperties(bag_);

  auto loaded = NewDtm();
  loaded->Class_ReadProperties(bag_);
  for (const DataElementPtr& item : dtm_->Context().Parameters().Elements()) {
    const std::string name = item->IPrivateDataElement_Name();
    SCOPED_TRACE(name);
    const auto saved = std::dynamic_pointer_cast<clsDataElement>(item);
    const auto back = Element(*loaded, name);
    EXPECT_EQ(back->TransientValue, saved->TransientValue);
    EXPECT_EQ(back->nUnit, saved->nUnit);
    EXPECT_EQ(back->Validity(), saved->Validity());
  }
  EXPECT_EQ(Element(*loaded, "UC013/Descr")->TransientValue, com::Variant("SAVED TEXT"));
  EXPECT_EQ(Element(*loaded, "DataStatus")->TransientValue, com::Variant(std::int16_t{0}));
}

TEST_F(DtmDataSet, SaveProtocolListsStoredElementsBetweenLockAndUnlock) {
  SetUpInstance();
  auto monitor = OpenMonitor(*dtm_);
  monitor->Clear();
  dtm_->Class_WriteProperties(bag_);
  const std::vector<std::string> lines = Lines(*monitor);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1].substr(0, 41), "---- IFDT: Write instance database (TAG1)");
  EXPECT_EQ(lines[2], "*** Lock instance *** (TAG1)");
  EXPECT_EQ(lines.back(), "*** Unlock instance *** (TAG1)");
  std::size_t stored = 0;
  for (const DataElementPtr& item : dtm_->Context().Parameters().Elements()) {
    stored += (item->IPrivateDataElement_ElementMode() & mode::kStored) != 0;
  }
  EXPECT_EQ(lines.size(), 4 + stored);
  for (std::size_t i = 3; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(0, 9), "DB-write ") << lines[i];
  }
}

TEST_F(DtmDataSet, LoadProtocolShowsEmptyAndEmptyTextValues) {
  SetUpInstance();
  dtm_->Class_WriteProperties(bag_);
  auto loaded = NewDtm();
  loaded->Context().SetSystemTag("TAG2");
  auto monitor = OpenMonitor(*loaded);
  // The two tags mirror each other on load: both stored empty.
  bag_.WriteProperty("~/Tag", com::Variant(""));
  bag_.WriteProperty("UC013/Tag", com::Variant(""));
  bag_.WriteProperty("SC136/GW1", com::Variant());
  loaded->Class_ReadProperties(bag_);
  const std::vector<std::string> lines = Lines(*monitor);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "*** Lock instance *** (TAG2)"), 0);
  bool empty_text = false;
  bool empty_value = false;
  for (const std::string& line : lines) {
    if (line.starts_with("DB-read ") && line.ends_with(" = ")) empty_text = true;
    if (line.starts_with("DB-read ") && line.ends_with(" = Empty")) empty_value = true;
  }
  EXPECT_TRUE(empty_text);
  EXPECT_TRUE(empty_value);
}

TEST_F(DtmDataSet, DataStatusGoesToZeroAfterASaveEvenFromOne) {
  SetUpInstance();
  Element(*dtm_, "DataStatus")->TransientValue = com::Variant(std::int16_t{1});
  dtm_->Class_WriteProperties(bag_);
  EXPECT_EQ(Element(*dtm_, "DataStatus")->TransientValue, com::Variant(std::int16_t{0}));
}

TEST_F(DtmDataSet, AValueWithoutTextFormCostsOnlyItsOwnLine) {
  SetUpInstance();
  auto monitor = OpenMonitor(*dtm_);
  Element(*dtm_, "UC013/Tag")->TransientValue = com::Variant(com::ByteArray{1, 2});
  monitor->Clear();
  dtm_->Class_WriteProperties(bag_);
  const std::vector<std::string> lines = Lines(*monitor);
  std::size_t stored = 0;
  for (const DataElementPtr& item : dtm_->Context().Parameters().Elements()) {
    stored += (item->IPrivateDataElement_ElementMode() & mode::kStored) != 0;
  }
  EXPECT_EQ(lines.size(), 4 + stored - 1);
  EXPECT_EQ(lines.back(), "*** Unlock instance *** (TAG1)");
  EXPECT_EQ(Element(*dtm_, "DataStatus")->TransientValue, com::Variant(std::int16_t{0}));
}

}  // namespace
}  // namespace dtm::testing

namespace dtm::testing {
namespace {

using DtmParameterDocument = DtmDataSet;

TEST_F(DtmParameterDocument, GetThenSetRoundTripsAndABadDocumentIsFalse) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(9));
  const std::string document = dtm_->IDtmParameter_GetParameters("");
  ASSERT_NE(document.find("UC013/Tag"), std::string::npos);
  EXPECT_TRUE(dtm_->IDtmParameter_SetParameters("", document));
  EXPECT_FALSE(dtm_->IDtmParameter_SetParameters("", "<not xml"));
  // The change bracket closed in both cases: a later change reaches the pages at once.
  EXPECT_FALSE(dtm_->Context().Parameters().InChange());
}

}  // namespace
}  // namespace dtm::testing
