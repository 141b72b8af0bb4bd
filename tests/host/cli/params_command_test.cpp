// The element listing of the host.

#include <gtest/gtest.h>

#include <sstream>

#include "host/cli/params_command.h"
#include "tests/component/dtm/dtm_fixture.h"
#include "tests/host/cli/cli_driver.h"

namespace dtm::testing {
namespace {

class ParamsListing : public DtmFixture {
 protected:
  std::string List(host::ParamsFormat format) {
    std::ostringstream out;
    host::WriteParams(Context(), format, out);
    return out.str();
  }
};

TEST_F(ParamsListing, TsvHasAHeaderAndOneLineOfTwelveCellsPerElement) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(9));
  const std::vector<std::string> lines = Lines(List(host::ParamsFormat::kTsv));
  ASSERT_EQ(lines.size(), 196u);
  EXPECT_EQ(lines[0],
            "path\ttype\tlength\tread\twrite\tmode\tflags\tlabel\tunit\trange\tvalue\tdescription");
  for (const std::string& line : lines) EXPECT_EQ(Cells(line).size(), 12u) << line;
  const std::vector<std::string> tag = Cells(lines[1]);
  EXPECT_EQ(tag[0], "~/Tag");
  EXPECT_EQ(tag[1], "14");
  EXPECT_EQ(tag[2], "10");
  EXPECT_EQ(tag[5], "0xFFFF0090");
  EXPECT_EQ(tag[9], "32..95");
  EXPECT_EQ(tag[10], "4625_1");
  EXPECT_FALSE(tag[7].empty());
  EXPECT_EQ(Cells(lines.back())[0], "DataStatus");
}

TEST_F(ParamsListing, TableAlignsColumnsAndFollowsTheLanguage) {
  SetUpInstance();
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(7));
  const std::string german = List(host::ParamsFormat::kTable);
  ASSERT_TRUE(dtm_->IDtm_SetLanguage(9));
  const std::string english = List(host::ParamsFormat::kTable);
  EXPECT_NE(german, english);
  const std::vector<std::string> lines = Lines(english);
  ASSERT_EQ(lines.size(), 196u);
  // Every line starts its second column at the same place.
  const std::size_t type_column = lines[0].find("type");
  EXPECT_EQ(lines[1].substr(type_column, 3), "14 ");
  EXPECT_EQ(lines[1].find("~/Tag"), 0u);
}

}  // namespace
}  // namespace dtm::testing
