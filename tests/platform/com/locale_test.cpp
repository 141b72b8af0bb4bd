// The two locales and the setting that carries the user's one.

#include <gtest/gtest.h>

#include "platform/com/locale.h"

namespace dtm::com {
namespace {

TEST(Locales, EnglishAndGermanMarksAndDates) {
  const Locale& english = Locale::English();
  EXPECT_EQ(english.decimal, '.');
  EXPECT_EQ(english.group, ',');
  EXPECT_FALSE(english.day_first);
  EXPECT_EQ(english.date_sep, '/');
  const Locale& german = Locale::German();
  EXPECT_EQ(german.decimal, ',');
  EXPECT_EQ(german.group, '.');
  EXPECT_TRUE(german.day_first);
  EXPECT_EQ(german.date_sep, '.');
}

TEST(Locales, OfALocaleIdFollowItsPrimaryLanguage) {
  struct Case {
    std::int32_t id;
    char decimal;
  };
  // German of Germany, Switzerland, Austria; English; French; none.
  const Case cases[] = {{1031, ','}, {2055, ','}, {3079, ','}, {1033, '.'},
                        {2057, '.'}, {1036, '.'}, {0, '.'}};
  for (const Case& c : cases) EXPECT_EQ(Locale::OfLocaleId(c.id).decimal, c.decimal) << c.id;
}

TEST(LocaleSettings, StartEnglishAndChangeAlone) {
  LocaleSetting first;
  LocaleSetting second;
  EXPECT_EQ(first.Get().decimal, '.');
  EXPECT_FALSE(first.Get().day_first);

  first.Set(Locale::German());
  EXPECT_EQ(first.Get().decimal, ',');
  EXPECT_TRUE(first.Get().day_first);
  // The other setting and the fixed locales are not touched.
  EXPECT_EQ(second.Get().decimal, '.');
  EXPECT_EQ(Locale::English().decimal, '.');

  first.Set(Locale::English());
  EXPECT_EQ(first.Get().decimal, '.');
  EXPECT_EQ(Locale::German().decimal, ',');
}

}  // namespace
}  // namespace dtm::com
