#include "platform/runtime/hart_units.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"

namespace dtm::runtime {
namespace {

struct ConvertCase {
  const char* name;
  double value;
  std::int32_t from;
  std::int32_t to;
  double expected;
};
const ConvertCase kConvertCases[] = {
    {"KiloPascalToBar", 250, 12, 7, 2.5},
    {"BarToPsi", 1, 7, 6, 14.503773773},
    {"PsiToKiloPascal", 10, 6, 12, 68.94757293},
    {"BarToKiloPascal", 6, 7, 12, 600},
    {"CelsiusToFahrenheit", 100, 32, 33, 212},
    {"FahrenheitToCelsius", 32, 33, 32, 0},
    {"MinusFortyIsTheSameInBoth", -40, 33, 32, -40},
    {"MillimetreToItself", 12.5, 49, 49, 12.5},
    {"PercentToItself", 42.5, 57, 57, 42.5},
    {"AngleToItself", 90, 245, 245, 90},
    {"MilliampereToItself", 20, 39, 39, 20},
};

class HartUnitsConvert : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(HartUnitsConvert, ExpressesTheValueInTheTargetUnit) {
  const HartUnits units;
  const ConvertCase& c = GetParam();
  EXPECT_NEAR(units.Convert(c.value, c.from, c.to), c.expected, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Table, HartUnitsConvert, ::testing::ValuesIn(kConvertCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct RefusedCase {
  const char* name;
  std::int32_t from;
  std::int32_t to;
};
const RefusedCase kRefusedCases[] = {
    {"PressureToTemperature", 12, 32}, {"LengthToPressure", 49, 7}, {"CurrentToPercent", 39, 57},
    {"UnknownSource", 240, 12},        {"UnknownTarget", 12, 240},  {"UnknownToItself", 240, 240},
};

class HartUnitsRefuse : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(HartUnitsRefuse, RaisesForUnitsThatDoNotConvert) {
  const HartUnits units;
  EXPECT_THROW(units.Convert(1, GetParam().from, GetParam().to), com::ComError);
}

INSTANTIATE_TEST_SUITE_P(Table, HartUnitsRefuse, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& i) { return std::string(i.param.name); });

struct TextCase {
  const char* name;
  std::int32_t code;
  const char* text;
  const char* key;
};
const TextCase kTextCases[] = {
    {"Bar", 7, "bar", "U007"},
    {"KiloPascal", 12, "kPa", "U012"},
    {"Celsius", 32, "°C", "U032"},
    {"Milliampere", 39, "mA", "U039"},
    {"Percent", 57, "%", "U057"},
    {"Angle", 245, "°", "U245"},
    {"NotUsed", 250, "Not used", "U250"},
    {"Special", 253, "Special", "U253"},
};

class HartUnitsTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(HartUnitsTexts, StartAsEnglishSymbolsWithThreeDigitKeys) {
  const HartUnits units;
  EXPECT_TRUE(units.Has(GetParam().code));
  EXPECT_EQ(units.UnitText(GetParam().code), GetParam().text);
  EXPECT_EQ(units.KeyOf(GetParam().code), GetParam().key);
  EXPECT_EQ(units.UnitCode(GetParam().text), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Table, HartUnitsTexts, ::testing::ValuesIn(kTextCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(HartUnitsTable, UnknownCodesHaveNoTextOrKey) {
  const HartUnits units;
  EXPECT_FALSE(units.Has(240));
  EXPECT_EQ(units.UnitText(240), "");
  EXPECT_EQ(units.KeyOf(240), "");
  EXPECT_EQ(units.UnitCode("furlong"), -1);
}

TEST(HartUnitsTable, TranslatedTextIsFoundByItsCode) {
  HartUnits units;
  units.SetText(51, "sec");
  units.SetText(240, "ignored");
  EXPECT_EQ(units.UnitText(51), "sec");
  EXPECT_EQ(units.UnitCode("sec"), 51);
  EXPECT_EQ(units.UnitCode("s"), -1);
  EXPECT_FALSE(units.Has(240));
}

TEST(HartUnitsTable, ReplacingAUnitKeepsItsKeyAndQuantity) {
  HartUnits units;
  units.Add(7, 100, 0, "Bar", "");
  EXPECT_EQ(units.KeyOf(7), "U007");
  EXPECT_EQ(units.UnitText(7), "Bar");
  EXPECT_NEAR(units.Convert(3, 7, 12), 300, 1e-9);
}

TEST(HartUnitsTable, AddedUnitConvertsOnlyToItself) {
  HartUnits units;
  units.Add(240, 2, 1, "twice", "");
  EXPECT_EQ(units.KeyOf(240), "U240");
  EXPECT_EQ(units.Convert(5, 240, 240), 5);
  EXPECT_THROW(units.Convert(5, 240, 12), com::ComError);
  units.Add(241, 1, 0, "own", "K_Own");
  EXPECT_EQ(units.KeyOf(241), "K_Own");
}

}  // namespace
}  // namespace dtm::runtime
