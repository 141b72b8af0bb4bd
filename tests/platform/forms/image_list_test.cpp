#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using testing::ErrorOf;

class ImageListContents : public ::testing::Test {
 protected:
  ImageListContents() {
    images_.Add(std::nullopt, "ok", ok_);
    images_.Add(std::nullopt, "error", error_);
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> out;
    for (std::size_t i = 1; i <= images_.Count(); ++i) out.push_back(images_.Key(i));
    return out;
  }
  ImageList images_{"imlStatus"};
  PicturePtr ok_ = std::make_shared<Picture>("ok.bmp");
  PicturePtr error_ = std::make_shared<Picture>("error.bmp");
};

TEST_F(ImageListContents, PicturesComeBackByKeyAndIndexAsTheSameObjects) {
  EXPECT_EQ(images_.Count(), 2u);
  EXPECT_EQ(images_.Item("error"), error_);
  EXPECT_EQ(images_.Item(1), ok_);
  // Same source, other object: not the same picture.
  EXPECT_NE(images_.Item("ok"), std::make_shared<Picture>("ok.bmp"));
}

TEST_F(ImageListContents, AddInsertsAtTheIndexGiven) {
  auto search = std::make_shared<Picture>("search.bmp");
  EXPECT_EQ(images_.Add(1, "", search), 1u);
  EXPECT_EQ(images_.Add(4, "last", ok_), 4u);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"", "ok", "error", "last"}));
  EXPECT_EQ(images_.Item(1), search);
  // One picture may stand in a list twice.
  EXPECT_EQ(images_.Item("last"), images_.Item("ok"));
}

TEST_F(ImageListContents, RemoveAndClear) {
  images_.Remove(1);
  EXPECT_EQ(Keys(), (std::vector<std::string>{"error"}));
  images_.Clear();
  EXPECT_EQ(images_.Count(), 0u);
}

TEST_F(ImageListContents, BadCallsRaiseAndChangeNothing) {
  struct Case {
    const char* name;
    std::function<void()> call;
    std::int32_t error;
  };
  const Case cases[] = {
      {"DuplicateKey", [&] { images_.Add(std::nullopt, "ok", error_); }, 35602},
      {"IndexZero", [&] { images_.Add(0, "x", ok_); }, 35600},
      {"IndexPastTheEnd", [&] { images_.Add(4, "x", ok_); }, 35600},
      {"NoPicture", [&] { images_.Add(std::nullopt, "x", nullptr); }, 424},
      {"UnknownKey", [&] { images_.Item("warning"); }, 35601},
      {"EmptyKey", [&] { images_.Item(""); }, 35601},
      {"ItemZero", [&] { images_.Item(0); }, 35600},
      {"ItemPastTheEnd", [&] { images_.Item(3); }, 35600},
      {"RemovePastTheEnd", [&] { images_.Remove(3); }, 35600},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.call), c.error) << c.name;
  EXPECT_EQ(Keys(), (std::vector<std::string>{"ok", "error"}));
}

TEST(PictureBoxImage, IsItsPictureOrOneOwnObject) {
  PictureBox box("picSearch");
  const PicturePtr own = box.Image();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(box.Image(), own);
  auto shown = std::make_shared<Picture>("search.bmp");
  box.SetPicture(shown);
  EXPECT_EQ(box.Image(), shown);
}

}  // namespace
}  // namespace dtm::forms
