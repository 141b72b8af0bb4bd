// RoundHalfEven rounds the exact binary value: only true ties go to even.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/com/variant.h"
#include "tests/platform/com/com_test_util.h"

namespace dtm::com {
namespace {

struct RoundCase {
  const char* name;
  double value;
  int decimals;
  double expected;
};

void PrintTo(const RoundCase& c, std::ostream* os) { *os << c.name; }

const RoundCase kCases[] = {
    {"TieDownToEven", 2.5, 0, 2},
    {"TieUpToEven", 3.5, 0, 4},
    {"NegativeTie", -2.5, 0, -2},
    {"HalfToZero", 0.5, 0, 0},
    {"OneAndHalf", 1.5, 0, 2},
    {"MinusHalfToZero", -0.5, 0, 0},
    {"ExactTieTwoPlacesDown", 0.125, 2, 0.12},
    {"ExactTieTwoPlacesUp", 0.375, 2, 0.38},
    {"NegativeExactTieOnePlace", -1.25, 1, -1.2},
    // 2.675 is stored as 2.67499999999999982236431605997495353221893310546875.
    {"BinaryBelowTheTie", 2.675, 2, 2.67},
    // 1.005 is stored just below, 1.35 just above.
    {"BinaryBelowTheTieToWhole", 1.005, 2, 1.0},
    {"BinaryAboveTheTie", -1.35, 1, -1.4},
    {"NotATie", 12345.6789, 2, 12345.68},
    {"AlreadyWhole", 1e20, 2, 1e20},
    {"MorePlacesThanStored", 0.1, 20, 0.1},
    {"ZeroPlacesOfSmallValue", 0.4999999999999999, 0, 0},
};

class RoundHalfEvenTable : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTable, RoundsTheBinaryValue) {
  EXPECT_EQ(RoundHalfEven(GetParam().value, GetParam().decimals), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RoundHalfEvenTable, ::testing::ValuesIn(kCases),
                         test::RowName());

TEST(RoundHalfEvenArguments, NegativePlacesAreAnInvalidCall) {
  EXPECT_EQ(test::ErrorOf([] { RoundHalfEven(1.5, -1); }), vb::kInvalidProcedureCall);
}

TEST(RoundHalfEvenArguments, DefaultsToWholeNumbers) { EXPECT_EQ(RoundHalfEven(6.5), 6); }

}  // namespace
}  // namespace dtm::com
