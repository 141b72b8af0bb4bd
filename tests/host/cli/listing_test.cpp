// The listing of read, upload and download: values in the element's
// display format and the language's, statuses from the transactions'
// outcomes, the summary.

#include <gtest/gtest.h>

#include <limits>

#include <sstream>

#include "component/datamodel/data_element.h"
#include "host/cli/listing.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using runtime::ResultOutcome;

constexpr std::int32_t kGerman = 7;
constexpr std::int32_t kEnglish = 9;

class ListingTest : public DtmFixture {
 protected:
  void SetUp() override {
    SetUpInstance();
    ASSERT_TRUE(dtm_->IDtm_SetLanguage(kEnglish));
  }
  std::shared_ptr<clsDataElement> Element(const std::string& path) {
    auto element = std::dynamic_pointer_cast<clsDataElement>(Context().Parameters().Find(path));
    EXPECT_TRUE(element) << path;
    return element;
  }
};

struct ValueCase {
  std::int32_t type;
  const char* format;
  const char* list;
  com::Variant value;
  std::int32_t language;
  const char* expected;
};

TEST_F(ListingTest, ValuesInTheElementsFormatAndTheLanguages) {
  const ValueCase cases[] = {
      {kVtSingle, "0.0", "", com::Variant(15.0f), kEnglish, "15.0"},
      {kVtSingle, "0.0", "", com::Variant(15.0f), kGerman, "15,0"},
      {kVtDouble, "0.00", "", com::Variant(2.675), kEnglish, "2.68"},
      {kVtSingle, "", "", com::Variant(0.5f), kGerman, "0,5"},
      {kVtDate, "", "", com::Variant::Date(45789), kGerman, "12.05.2025"},
      {kVtDate, "", "", com::Variant::Date(45789), kEnglish, "5/12/2025"},
      {kVtUInt8, "", "0:Off|1:On", com::Variant(std::uint8_t{1}), kEnglish, "1 (On)"},
      {kVtUInt8, "", "0:Off|1:On", com::Variant(std::uint8_t{7}), kEnglish, "7"},
      {kVtBytes, "", "", com::Variant(com::ByteArray{0x01, 0xFF}), kEnglish, "01 FF"},
      {kVtSingle, "0.0", "", com::Variant(), kEnglish, ""},
      // The same words as the pages and the protocol, never "-1.#IND".
      {kVtSingle, "0.0", "", com::Variant(std::numeric_limits<float>::quiet_NaN()), kGerman,
       "NaN"},
      {kVtSingle, "", "", com::Variant(std::numeric_limits<float>::infinity()), kEnglish, "Inf"},
      {kVtDouble, "0.00", "", com::Variant(-std::numeric_limits<double>::infinity()), kEnglish,
       "-Inf"},
  };
  for (const ValueCase& c : cases) {
    clsDataElement element;
    element.ValueType = c.type;
    element.ValueFormat = c.format;
    element.ValueList = c.list;
    element.TransientValue = c.value;
    EXPECT_EQ(host::DisplayValue(Context(), element, c.language), c.expected)
        << c.type << " " << c.format << " in " << c.language;
  }
}

TEST_F(ListingTest, EachMemberTakesItsGroupsOutcome) {
  const std::vector<runtime::ProcessResult> results = {
      {Element("UC000/"), 0, ResultOutcome::kAccepted},
      {Element("SC128Tr1/"), -5, ResultOutcome::kNotAnswered},
      {Element("UC013/Tag"), 0, ResultOutcome::kRefused},
  };
  const host::Listing listing = host::ListResults(Context(), results, kEnglish, false);
  ASSERT_EQ(listing.rows.size(), 8u);
  EXPECT_EQ(listing.rows[0].path, "UC000/ManuId");
  EXPECT_EQ(listing.rows[0].status, "ok");
  EXPECT_EQ(listing.rows[3].path, "SC128Tr1/Par1");
  EXPECT_EQ(listing.rows[3].status, "not answered");
  EXPECT_EQ(listing.rows[3].value, "");  // what it holds never came from the device
  EXPECT_EQ(listing.rows[7].path, "UC013/Tag");
  EXPECT_EQ(listing.rows[7].status, "refused");
  EXPECT_FALSE(listing.AllAccepted());
  EXPECT_EQ(host::SummaryLine(listing, kEnglish),
            "3 transactions, 3 values read, 1 refused, 4 not answered");
  EXPECT_EQ(host::SummaryLine(listing, kGerman),
            "3 Transaktionen, 3 Werte gelesen, 1 abgelehnt, 4 keine Antwort");

  // A download shows the values it was to write, taken or not.
  const host::Listing written = host::ListResults(Context(), results, kEnglish, true);
  EXPECT_NE(written.rows[3].value, "");
  EXPECT_EQ(host::SummaryLine(written, kEnglish),
            "3 transactions, 3 values written, 1 refused, 4 not answered");
}

TEST_F(ListingTest, TargetsWithoutATransactionAreMarked) {
  const std::vector<runtime::ProcessResult> results = {
      {Element("SC128Tr1/"), 0, ResultOutcome::kBusy}};
  const host::Listing listing =
      host::ListTargets(Context(), {"SC128Tr1/Par1", "UC013/Tag"}, results, kEnglish);
  ASSERT_EQ(listing.rows.size(), 2u);
  EXPECT_EQ(listing.rows[0].status, "busy");
  EXPECT_EQ(listing.rows[1].status, "not transferred");
  EXPECT_FALSE(listing.AllAccepted());
}

TEST_F(ListingTest, TsvIsOnlyHeaderAndRowsTheTableEndsWithTheSummary) {
  host::Listing listing;
  listing.transactions = 1;
  listing.rows = {{"A/x", "Länge", "1.5", "mm", "ok", ResultOutcome::kAccepted},
                  {"A/yy", "B", "", "", "refused", ResultOutcome::kRefused}};
  std::ostringstream tsv, table;
  host::WriteListing(listing, host::ListFormat::kTsv, kEnglish, tsv);
  host::WriteListing(listing, host::ListFormat::kTable, kEnglish, table);
  EXPECT_EQ(tsv.str(),
            "path\tlabel\tvalue\tunit\tstatus\n"
            "A/x\tLänge\t1.5\tmm\tok\n"
            "A/yy\tB\t\t\trefused\n");
  EXPECT_EQ(table.str(),
            "path  label  value  unit  status\n"
            "A/x   Länge  1.5    mm    ok\n"
            "A/yy  B                   refused\n"
            "1 transaction, 1 value read, 1 refused, 0 not answered\n");
}

}  // namespace
}  // namespace dtm::testing
