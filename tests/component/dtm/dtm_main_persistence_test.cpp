// Saving and loading the instance data set through the frame's property
// bag, with its protocol.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>

#include "component/datamodel/data_element.h"
#include "component/ui/framework/ctl_monitor.h"
#include "platform/com/error.h"
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

TEST_F(DtmDataSet, SaveHoldsTheDataSetElementsAndNothingElseInCollectionOrder) {
  SetUpInstance();
  // Left from an earlier save: must not outlive this one.
  bag_.WriteProperty("SC132Inx1", com::Variant(std::int16_t{254}));
  dtm_->Class_WriteProperties(bag_);
  const auto& entries = bag_.Entries();
  ASSERT_EQ(entries.size(), 348u);  // 116 elements, three entries each
  const char* const first[] = {"~/Tag", "~/Tag.Unit", "~/Tag.Flags", "~/Address",
                               "~/Address.Unit", "~/Address.Flags", "UC000/ManuId"};
  for (std::size_t i = 0; i < std::size(first); ++i) EXPECT_EQ(entries[i].first, first[i]);
  EXPECT_EQ(entries[345].first, "SC133Inx2");
  EXPECT_EQ(entries[347].first, "SC133Inx2.Flags");
  // Device commands and values of the moment are no part of it.
  for (const char* name : {"SC132Inx1", "SC132Inx1.Unit", "DataStatus"}) {
    EXPECT_FALSE(bag_.Contains(name)) << name;
  }
}

TEST_F(DtmDataSet, SaveAndLoadRoundTripTheDataSet) {
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
    if ((item->IPrivateDataElement_ElementMode() & mode::kStored) == 0) continue;
    const std::string name = item->IPrivateDataElement_Name();
    SCOPED_TRACE(name);
    const auto saved = std::dynamic_pointer_cast<clsDataElement>(item);
    const auto back = Element(*loaded, name);
    EXPECT_EQ(back->TransientValue, saved->TransientValue);
    EXPECT_EQ(back->nUnit, saved->nUnit);
    EXPECT_EQ(back->Validity(), saved->Validity());
  }
  EXPECT_EQ(Element(*loaded, "UC013/Descr")->TransientValue, com::Variant("SAVED TEXT"));
  EXPECT_EQ(Element(*loaded, "SC128Tr2/Par2")->TransientValue, com::Variant(33.5f));
  EXPECT_EQ(Element(*loaded, "DataStatus")->TransientValue, com::Variant(std::int16_t{0}));
}

// The instance holds ten characters of the tag, the device eight: the
// device's tag keeps all ten with its input error rather than cut them,
// and a saved set must load back as it was, mark and all.
TEST_F(DtmDataSet, TenCharacterInstanceTagLoadsBackWithItsMark) {
  SetUpInstance();
  Element(*dtm_, "~/Tag")->TransientValue = com::Variant("ABCDEFGHIJ");
  dtm_->Context().Parameters().NotifyChanged(Element(*dtm_, "~/Tag"), "");
  ASSERT_EQ(Element(*dtm_, "UC013/Tag")->StatusFlags() & 0xF000, 0x5000);
  ASSERT_EQ(dtm_->Context().Parameters().DataSetState(), 2);
  dtm_->Class_WriteProperties(bag_);
  EXPECT_EQ(bag_.ReadProperty("UC013/Tag", com::Variant()), com::Variant("ABCDEFGHIJ"));
  EXPECT_EQ(bag_.ReadProperty("UC013/Tag.Flags", com::Variant()),
            com::Variant(std::int32_t{0x1005000}));

  auto loaded = NewDtm();
  loaded->Class_ReadProperties(bag_);
  EXPECT_EQ(Element(*loaded, "UC013/Tag")->TransientValue, com::Variant("ABCDEFGHIJ"));
  EXPECT_EQ(Element(*loaded, "~/Tag")->TransientValue, com::Variant("ABCDEFGHIJ"));
  EXPECT_EQ(Element(*loaded, "UC013/Tag")->StatusFlags() & 0xF000, 0x5000);
  EXPECT_EQ(Element(*loaded, "~/Tag")->StatusFlags() & 0xF000, 0);
  EXPECT_EQ(loaded->Context().Parameters().DataSetState(), 2);

  // Saved again, the set is the same.
  com::MemoryPropertyBag again;
  loaded->Class_WriteProperties(again);
  EXPECT_EQ(again.Entries(), bag_.Entries());
}

// A mark stands for what the element says of its value: one a saved value
// no longer deserves (an eight-character tag) goes on load.
TEST_F(DtmDataSet, MarkOfAValueThatFitsGoesOnLoad) {
  SetUpInstance();
  dtm_->Class_WriteProperties(bag_);
  bag_.WriteProperty("~/Tag", com::Variant("ABCDEFGH"));
  bag_.WriteProperty("UC013/Tag", com::Variant("ABCDEFGH"));
  bag_.WriteProperty("UC013/Tag.Flags", com::Variant(std::int32_t{0x1005000}));
  auto loaded = NewDtm();
  loaded->Class_ReadProperties(bag_);
  EXPECT_EQ(Element(*loaded, "UC013/Tag")->TransientValue, com::Variant("ABCDEFGH"));
  EXPECT_EQ(Element(*loaded, "UC013/Tag")->StatusFlags() & 0xF000, 0);
  EXPECT_EQ(loaded->Context().Parameters().DataSetState(), 1);
}

// Not-a-number and the infinities in a data set are no values to send:
// they load marked, and the data set reads as inconsistent.
struct NonFiniteCase {
  const char* name;
  float value;
  std::int32_t mark;
};

const NonFiniteCase kNonFiniteCases[] = {
    {"NotANumber", std::numeric_limits<float>::quiet_NaN(), 0x2000},
    {"Infinity", std::numeric_limits<float>::infinity(), 0x4000},
    {"MinusInfinity", -std::numeric_limits<float>::infinity(), 0x4000},
};

class DtmNonFiniteInDataSet : public DtmDataSet,
                              public ::testing::WithParamInterface<NonFiniteCase> {};

TEST_P(DtmNonFiniteInDataSet, LoadsMarkedAndSavesBackAlike) {
  SetUpInstance();
  dtm_->Class_WriteProperties(bag_);
  bag_.WriteProperty("SC128Tr2/Par2", com::Variant(GetParam().value));
  auto loaded = NewDtm();
  loaded->Class_ReadProperties(bag_);
  EXPECT_EQ(Element(*loaded, "SC128Tr2/Par2")->StatusFlags() & 0xF000, GetParam().mark);
  EXPECT_EQ(loaded->Context().Parameters().DataSetState(), 2);

  com::MemoryPropertyBag saved;
  loaded->Class_WriteProperties(saved);
  EXPECT_EQ(saved.ReadProperty("SC128Tr2/Par2.Flags", com::Variant()),
            com::Variant(std::int32_t{0x1000000 | GetParam().mark}));
  auto again = NewDtm();
  again->Class_ReadProperties(saved);
  EXPECT_EQ(Element(*again, "SC128Tr2/Par2")->StatusFlags() & 0xF000, GetParam().mark);
}

INSTANTIATE_TEST_SUITE_P(Table, DtmNonFiniteInDataSet, ::testing::ValuesIn(kNonFiniteCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DtmDataSet, PlantedDeviceCommandEntryHasNoEffect) {
  SetUpInstance();
  dtm_->Class_WriteProperties(bag_);
  // 254 would make the zero-point button send a cold start.
  bag_.WriteProperty("SC132Inx1", com::Variant(std::int16_t{254}));
  bag_.WriteProperty("SC132Inx1.Flags", com::Variant(std::int32_t{0}));
  auto loaded = NewDtm();
  loaded->Class_ReadProperties(bag_);
  EXPECT_EQ(Element(*loaded, "SC132Inx1")->TransientValue, com::Variant(std::int16_t{1}));
  EXPECT_TRUE(Element(*loaded, "SC132Inx1")->Validity());
}

// Bags a load refuses, each named with its origin, before anything is taken.
struct RefusedBagCase {
  const char* name;
  std::function<void(com::MemoryPropertyBag&)> spoil;  // on a bag this component saved
  const char* description;
};

const RefusedBagCase kRefusedBags[] = {
    {"Empty", [](com::MemoryPropertyBag& bag) { bag.Clear(); },
     "set.xml: an empty data set, without any entry"},
    {"Foreign",
     [](com::MemoryPropertyBag& bag) {
       bag.Clear();
       bag.WriteProperty("Valve/Stroke", com::Variant(12.0));
     },
     "set.xml: a data set of another component (its entry Valve/Stroke is none of this "
     "component's)"},
    {"ForeignEntryAmongOurs",
     [](com::MemoryPropertyBag& bag) { bag.WriteProperty("Valve/Stroke", com::Variant(12.0)); },
     "set.xml: a data set of another component (its entry Valve/Stroke is none of this "
     "component's)"},
    {"OnlyEntriesOutsideTheDataSet",
     [](com::MemoryPropertyBag& bag) {
       bag.Clear();
       bag.WriteProperty("SC132Inx1", com::Variant(std::int16_t{254}));
     },
     "set.xml: a data set of another component (none of its entries belongs to this component's "
     "data set)"},
    {"DateAsALong",
     [](com::MemoryPropertyBag& bag) {
       bag.WriteProperty("UC013/Date", com::Variant(std::int32_t{16777216}));
     },
     "set.xml: entry UC013/Date: Long 16777216 is no date"},
    {"ByteBeyondItsRange",
     [](com::MemoryPropertyBag& bag) {
       bag.WriteProperty("SC130Tr1/Par2", com::Variant(std::int32_t{300}));
     },
     "set.xml: entry SC130Tr1/Par2: Long 300 is no whole number from 0 to 255"},
    {"ByteAsText",
     [](com::MemoryPropertyBag& bag) { bag.WriteProperty("SC130Tr1/Par2", com::Variant("hello")); },
     "set.xml: entry SC130Tr1/Par2: String \"hello\" is no whole number from 0 to 255"},
    {"TagTooLongForTheDevice",
     [](com::MemoryPropertyBag& bag) { bag.WriteProperty("UC013/Tag", com::Variant("TOOLONGTAG")); },
     "set.xml: entry UC013/Tag: String \"TOOLONGTAG\" has 10 characters, more than the 8 of the "
     "element"},
};

class DtmRefusedDataSet : public DtmDataSet,
                          public ::testing::WithParamInterface<RefusedBagCase> {};

TEST_P(DtmRefusedDataSet, NamesFileAndEntryAndChangesNothing) {
  SetUpInstance();
  dtm_->Class_WriteProperties(bag_);
  GetParam().spoil(bag_);
  bag_.SetOrigin("set.xml");

  // An instance with edits of its own keeps them all.
  Element(*dtm_, "UC013/Descr")->TransientValue = com::Variant("MINE");
  Element(*dtm_, "SC130Tr1/Par2")->TransientValue = com::Variant(std::int16_t{1});
  Element(*dtm_, "DataStatus")->TransientValue = com::Variant(std::int16_t{1});
  try {
    dtm_->Class_ReadProperties(bag_);
    ADD_FAILURE() << "the load was taken";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 321);
    EXPECT_EQ(error.Description(), GetParam().description);
  }
  EXPECT_EQ(Element(*dtm_, "UC013/Descr")->TransientValue, com::Variant("MINE"));
  EXPECT_EQ(Element(*dtm_, "SC130Tr1/Par2")->TransientValue, com::Variant(std::int16_t{1}));
  EXPECT_EQ(Element(*dtm_, "DataStatus")->TransientValue, com::Variant(std::int16_t{1}));

  // A new instance refuses it alike.
  auto fresh = NewDtm();
  EXPECT_THROW(fresh->Class_ReadProperties(bag_), com::ComError);
}

INSTANTIATE_TEST_SUITE_P(Table, DtmRefusedDataSet, ::testing::ValuesIn(kRefusedBags),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(DtmDataSet, ABagOfNoOriginIsNamedAsTheDataSet) {
  SetUpInstance();
  com::MemoryPropertyBag empty;
  try {
    NewDtm()->Class_ReadProperties(empty);
    ADD_FAILURE() << "the load was taken";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Description(), "data set: an empty data set, without any entry");
  }
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

// Every value has a text on the protocol: bytes as hex digits, and the
// floats a device may have sent readably, not as the language's "-1.#IND".
TEST_F(DtmDataSet, ProtocolLinesShowEveryValueReadably) {
  SetUpInstance();
  Element(*dtm_, "UC013/Tag")->TransientValue = com::Variant(com::ByteArray{1, 2});
  Element(*dtm_, "SC128Tr2/Par1")->TransientValue =
      com::Variant(std::numeric_limits<float>::quiet_NaN());
  Element(*dtm_, "SC128Tr1/Par1")->TransientValue =
      com::Variant(-std::numeric_limits<float>::infinity());
  Element(*dtm_, "SC128Tr1/Par3")->TransientValue =
      com::Variant(std::numeric_limits<float>::infinity());
  auto monitor = OpenMonitor(*dtm_);
  monitor->Clear();
  dtm_->Class_WriteProperties(bag_);
  std::vector<std::string> lines = Lines(*monitor);
  std::size_t stored = 0;
  for (const DataElementPtr& item : dtm_->Context().Parameters().Elements()) {
    stored += (item->IPrivateDataElement_ElementMode() & mode::kStored) != 0;
  }
  EXPECT_EQ(lines.size(), 4 + stored);
  auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  const std::string lever = Element(*dtm_, "SC128Tr2/Par1")->Prompt;
  EXPECT_TRUE(has("DB-write " + Element(*dtm_, "UC013/Tag")->Prompt + " = 0102"));
  EXPECT_TRUE(has("DB-write " + lever + " = NaN"));
  EXPECT_TRUE(has("DB-write " + Element(*dtm_, "SC128Tr1/Par1")->Prompt + " = -Inf"));
  EXPECT_TRUE(has("DB-write " + Element(*dtm_, "SC128Tr1/Par3")->Prompt + " = Inf"));
  EXPECT_EQ(lines.back(), "*** Unlock instance *** (TAG1)");
  EXPECT_EQ(Element(*dtm_, "DataStatus")->TransientValue, com::Variant(std::int16_t{0}));

  // The bytes are no tag a data set can bring back.
  bag_.WriteProperty("UC013/Tag", com::Variant("TAG1"));
  auto loaded = NewDtm();
  auto read_monitor = OpenMonitor(*loaded);
  loaded->Class_ReadProperties(bag_);
  lines = Lines(*read_monitor);
  EXPECT_TRUE(has("DB-read " + lever + " = NaN"));
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
