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
