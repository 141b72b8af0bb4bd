#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/controls.h"
#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

using com::Variant;

TEST(EventArguments, HandlerChangesReachTheRaiser) {
  Control text(ControlKind::kTextBox, "txtValue");
  text.On("KeyPress", [](Args& args) {
    if (args[0].ToInteger() == 13) args[0] = Variant(std::int16_t{0});
  });
  Args enter{Variant(std::int16_t{13})};
  Args letter{Variant(std::int16_t{65})};
  text.Raise("KeyPress", enter);
  text.Raise("KeyPress", letter);
  EXPECT_EQ(enter[0], Variant(std::int16_t{0}));
  EXPECT_EQ(letter[0], Variant(std::int16_t{65}));
}

TEST(EventArguments, ArrayElementPassesItsIndexFirst) {
  Control field(ControlKind::kParameter, "ctlParameter", 7);
  Args seen;
  field.On("KeyDown", [&](Args& args) {
    seen = args;
    args[2] = Variant(std::int16_t{1});  // Shift
    args[0] = Variant(std::int16_t{99});  // the index is not the raiser's
  });
  Args args{Variant(std::int16_t{40}), Variant(std::int16_t{0})};
  field.Raise("KeyDown", args);
  EXPECT_EQ(seen, (Args{Variant(std::int16_t{7}), Variant(std::int16_t{40}),
                        Variant(std::int16_t{0})}));
  EXPECT_EQ(args, (Args{Variant(std::int16_t{40}), Variant(std::int16_t{1})}));
}

TEST(EventArguments, ArrayElementWithoutArgumentsGetsTheIndexAlone) {
  Control field(ControlKind::kParameter, "ctlParameter", 3);
  Args seen;
  field.On("LostFocus", [&](Args& args) { seen = args; });
  field.Raise("LostFocus");
  EXPECT_EQ(seen, (Args{Variant(std::int16_t{3})}));
}

class EventConnections : public ::testing::Test {
 protected:
  Control button_{ControlKind::kCommandButton, "cmdGo"};
  std::vector<std::string> log_;
};

TEST_F(EventConnections, RunInConnectionOrderAndOnlyForTheirEvent) {
  button_.On("Click", [&](Args&) { log_.push_back("first"); });
  button_.On("LostFocus", [&](Args&) { log_.push_back("lost"); });
  button_.On("Click", [&](Args&) { log_.push_back("second"); });
  button_.Raise("Click");
  EXPECT_EQ(log_, (std::vector<std::string>{"first", "second"}));
  EXPECT_TRUE(button_.Handles("LostFocus"));
  EXPECT_FALSE(button_.Handles("GotFocus"));
}

TEST_F(EventConnections, DisconnectedDuringTheEventDoesNotRun) {
  ConnectionId second = 0;
  button_.On("Click", [&](Args&) {
    log_.push_back("first");
    button_.Off(second);
  });
  second = button_.On("Click", [&](Args&) { log_.push_back("second"); });
  button_.Raise("Click");
  button_.Raise("Click");
  EXPECT_EQ(log_, (std::vector<std::string>{"first", "first"}));
}

TEST_F(EventConnections, ConnectedDuringTheEventRunsFromTheNextOne) {
  button_.On("Click", [&](Args&) {
    log_.push_back("outer");
    if (log_.size() == 1) button_.On("Click", [&](Args&) { log_.push_back("late"); });
  });
  button_.Raise("Click");
  button_.Raise("Click");
  EXPECT_EQ(log_, (std::vector<std::string>{"outer", "outer", "late"}));
}

// A handler's error goes to the page's sink; the event loop goes on.
class HandlerErrors : public ::testing::Test {
 protected:
  HandlerErrors() {
    page_->SetErrorSink(&sink_);
    frame_ = page_->Add(std::make_shared<Frame>("frmA"));
    field_ = page_->Add(std::make_shared<Control>(ControlKind::kParameter, "ctlParameter", 2),
                        frame_.get());
  }
  CollectingErrorSink sink_;
  std::shared_ptr<UserControl> page_ = std::make_shared<UserControl>("ctlPage");
  std::shared_ptr<Frame> frame_;
  ControlPtr field_;
};

TEST_F(HandlerErrors, GoToTheSinkAndLaterHandlersStillRun) {
  bool later = false;
  field_->On("LostFocus", [](Args&) { throw com::ComError(91, "Object variable not set", "x"); });
  field_->On("LostFocus", [&](Args&) { later = true; });
  EXPECT_NO_THROW(field_->Raise("LostFocus"));
  EXPECT_TRUE(later);
  ASSERT_EQ(sink_.Failures().size(), 1u);
  EXPECT_EQ(sink_.Failures()[0].control, "ctlParameter(2)");
  EXPECT_EQ(sink_.Failures()[0].event, "LostFocus");
  EXPECT_EQ(sink_.Failures()[0].number, 91);
  EXPECT_EQ(sink_.Failures()[0].description, "Object variable not set");
}

TEST_F(HandlerErrors, OtherExceptionsArriveAsFailures) {
  page_->On("Show", [](Args&) { throw std::runtime_error("broken"); });
  page_->Show();
  ASSERT_EQ(sink_.Failures().size(), 1u);
  EXPECT_EQ(sink_.Failures()[0].control, "ctlPage");
  EXPECT_EQ(static_cast<std::uint32_t>(sink_.Failures()[0].number), 0x80004005u);
  EXPECT_EQ(sink_.Failures()[0].description, "broken");
}

TEST_F(HandlerErrors, AnythingElseThrownArrivesAsAFailureToo) {
  field_->On("Change", [](Args&) { throw 42; });
  EXPECT_NO_THROW(field_->Raise("Change"));
  ASSERT_EQ(sink_.Failures().size(), 1u);
  EXPECT_EQ(sink_.Failures()[0].description, "Unexpected error");
}

TEST_F(HandlerErrors, WithoutASinkReachTheCaller) {
  page_->SetErrorSink(nullptr);
  field_->On("Click", [](Args&) { throw com::ComError(5, "Invalid procedure call or argument"); });
  EXPECT_EQ(testing::ErrorOf([&] { field_->Raise("Click"); }), 5);
}

}  // namespace
}  // namespace dtm::forms
