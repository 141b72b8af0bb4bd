#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using com::Variant;
using Log = std::vector<std::string>;

class UserControlEvents : public ::testing::Test {
 protected:
  UserControlEvents() {
    nested_ = page_->Add(std::make_shared<UserControl>("ctlInner"));
    for (UserControl* c : {page_.get(), nested_.get()}) {
      c->On("AmbientChanged", [this, c](Args& args) {
        log_.push_back(c->Name() + ":" + args[0].ToString() + "=" +
                       std::to_string(c->AmbientLocaleID()));
      });
    }
  }
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<UserControl> nested_;
  Log log_;
};

TEST_F(UserControlEvents, AmbientLocaleReachesNestedUserControlsAfterThePage) {
  page_->SetAmbientLocaleID(1031);
  EXPECT_EQ(log_, (Log{"ctlPage:LocaleID=1031", "ctlInner:LocaleID=1031"}));
  EXPECT_EQ(nested_->AmbientLocaleID(), 1031);
}

TEST_F(UserControlEvents, ResizeSetsTheInnerSizeBeforeTheEvent) {
  std::int32_t width = 0, height = 0;
  page_->On("Resize", [&](Args&) {
    width = page_->ScaleWidth();
    height = page_->ScaleHeight();
  });
  page_->Resize(7200, 4800);
  EXPECT_EQ(width, 7200);
  EXPECT_EQ(height, 4800);
}

TEST_F(UserControlEvents, MovingANestedUserControlResizesItOnlyWhenItsSizeChanges) {
  int resizes = 0;
  nested_->On("Resize", [&](Args&) { ++resizes; });
  nested_->Move(100, 200, 3000, 400);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(nested_->ScaleWidth(), 3000);
  EXPECT_EQ(nested_->ScaleHeight(), 400);
  nested_->Move(500, 600, 3000, 400);  // moved, not resized
  nested_->SetLeft(0);
  EXPECT_EQ(resizes, 1);
  nested_->SetWidth(2000);
  EXPECT_EQ(resizes, 2);
  EXPECT_EQ(nested_->ScaleWidth(), 2000);
  EXPECT_EQ(nested_->Left(), 0);
  EXPECT_EQ(nested_->Top(), 600);
}

TEST_F(UserControlEvents, LifeCycleEventsArriveByName) {
  for (const char* event : {"Initialize", "InitProperties", "Show", "Paint", "Terminate"}) {
    page_->On(event, [this, event](Args& args) {
      log_.push_back(std::string(event) + "/" + std::to_string(args.size()));
    });
  }
  page_->Initialize();
  page_->InitProperties();
  page_->Show();
  page_->Paint();
  page_->Terminate();
  EXPECT_EQ(log_, (Log{"Initialize/0", "InitProperties/0", "Show/0", "Paint/0", "Terminate/0"}));
}

TEST(UserControlInArray, OwnEventsCarryNoIndexButFocusEventsDo) {
  auto page = std::make_shared<UserControl>("ctlPage");
  auto bar = page->Add(std::make_shared<UserControl>("ctlBar", ControlKind::kUserControl, 2));
  Log log;
  for (const char* event : {"Show", "Resize", "AmbientChanged", "EnterFocus", "GotFocus"}) {
    bar->On(event, [&log, event](Args& args) {
      std::string entry = event;
      for (const Variant& arg : args) entry += " " + arg.ToString();
      log.push_back(entry);
    });
  }
  bar->Show();
  bar->Resize(10, 10);
  page->SetAmbientLocaleID(1033);
  bar->SetFocus();
  EXPECT_EQ(log, (Log{"Show", "Resize", "AmbientChanged LocaleID", "EnterFocus", "GotFocus 2"}));
}

// A user control with one design property, kept through a property bag.
class DesignProperties : public ::testing::Test {
 protected:
  DesignProperties() {
    control_.On("ReadProperties", [this](Args& args) {
      caption_ = BagOf(args[0]).ReadProperty("Caption", Variant("none")).ToString();
    });
    control_.On("WriteProperties", [this](Args& args) {
      BagOf(args[0]).WriteProperty("Caption", Variant(caption_), Variant("none"));
    });
  }
  void SetCaption(std::string caption) {
    caption_ = std::move(caption);
    control_.PropertyChanged("Caption");
  }
  UserControl control_{"ctlSearch"};
  std::string caption_;
};

TEST_F(DesignProperties, RoundTripThroughTheBag) {
  com::MemoryPropertyBag bag;
  control_.ReadProperties(bag);
  EXPECT_EQ(caption_, "none");
  SetCaption("Suche");
  SetCaption("Search");
  EXPECT_EQ(control_.ChangedProperties(), (std::vector<std::string>{"Caption"}));
  control_.WriteProperties(bag);
  EXPECT_TRUE(control_.ChangedProperties().empty());
  EXPECT_EQ(bag.ReadProperty("Caption"), Variant("Search"));

  UserControl again("ctlSearch");
  std::string read;
  again.On("ReadProperties",
           [&](Args& args) { read = BagOf(args[0]).ReadProperty("Caption").ToString(); });
  again.ReadProperties(bag);
  EXPECT_EQ(read, "Search");
}

TEST(BagArgument, AnythingElseIsATypeMismatch) {
  EXPECT_EQ(testing::ErrorOf([] { BagOf(Variant("bag")); }), 13);
  EXPECT_EQ(testing::ErrorOf([] { BagOf(Variant()); }), 13);
}

}  // namespace
}  // namespace dtm::forms
