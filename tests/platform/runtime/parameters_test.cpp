#include "platform/runtime/parameters.h"

#include <gtest/gtest.h>

#include "platform/com/error.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;
using fakes::MakeElement;

std::vector<std::string> NamesOf(const std::vector<DataElementPtr>& elements) {
  std::vector<std::string> names;
  for (const auto& element : elements) names.push_back(element->IPrivateDataElement_Name());
  return names;
}

class ParametersCollection : public fakes::RuntimeFixture {
 protected:
  Parameters& parameters() { return context_->Parameters(); }
};

TEST_F(ParametersCollection, KeepsAddingOrderAndInsertsBeforeAKey) {
  parameters().Add(MakeElement("A"));
  parameters().Add(MakeElement("C"));
  parameters().Add(MakeElement("B"), std::nullopt, "C");
  parameters().Add(MakeElement("Z"), std::nullopt, "A");
  EXPECT_EQ(NamesOf(parameters().Elements()), (std::vector<std::string>{"Z", "A", "B", "C"}));
  // Keys still find their elements after the inserts moved them.
  EXPECT_EQ(parameters().Item("C")->IPrivateDataElement_Name(), "C");
  EXPECT_EQ(parameters().Item("A")->IPrivateDataElement_Name(), "A");
  EXPECT_EQ(parameters().Count(), 4u);
}

TEST_F(ParametersCollection, AnExplicitKeyReplacesTheName) {
  const auto element = MakeElement("XX001");
  parameters().Add(element, "alias");
  EXPECT_EQ(parameters().Find("alias"), element);
  EXPECT_EQ(parameters().Find("XX001"), nullptr);
}

TEST_F(ParametersCollection, UnknownPathRaisesSubscriptOutOfRange) {
  parameters().Add(MakeElement("XX001"));
  EXPECT_EQ(parameters().Find("XX002"), nullptr);
  try {
    parameters().Item("XX002");
    FAIL() << "no error";
  } catch (const com::ComError& error) {
    EXPECT_EQ(error.Number(), 9);
    EXPECT_EQ(error.Description(), "Subscript out of range: XX002");
    EXPECT_EQ(error.Source(), "Parameters");
  }
}

TEST_F(ParametersCollection, DuplicateKeyAndUnknownBeforeAreRefused) {
  parameters().Add(MakeElement("A"));
  EXPECT_THROW(parameters().Add(MakeElement("A")), com::ComError);
  EXPECT_THROW(parameters().Add(MakeElement("B"), std::nullopt, "missing"), com::ComError);
  EXPECT_EQ(NamesOf(parameters().Elements()), (std::vector<std::string>{"A"}));
}

TEST_F(ParametersCollection, ClearEmptiesElementsAndKeys) {
  parameters().Add(MakeElement("A"));
  parameters().Clear();
  EXPECT_EQ(parameters().Count(), 0u);
  EXPECT_EQ(parameters().Find("A"), nullptr);
  parameters().Add(MakeElement("A"));  // the key is free again
}

// Members of a group: the elements below the group's path, in collection order.
struct GroupCase {
  const char* name;
  const char* path;
  std::vector<std::string> members;
};
const GroupCase kGroupCases[] = {
    {"DirectMembersInOrder", "XX001/", {"XX001/B", "XX001/A", "XX001/A/x"}},
    {"NestedGroup", "XX001/A/", {"XX001/A/x"}},
    {"PrefixWithoutSlashIsNoGroup", "XX001", {}},
    {"UnknownGroup", "XX009/", {}},
    {"EmptyPath", "", {}},
};

class ParametersGroups : public fakes::RuntimeFixture,
                         public ::testing::WithParamInterface<GroupCase> {};

TEST_P(ParametersGroups, ListsTheMembersBelowThePath) {
  // The group element itself and a sibling sharing the prefix are no members.
  for (const char* name : {"XX001/", "XX001/B", "XX0010", "XX001/A", "XX002/A", "XX001/A/x"}) {
    context_->Parameters().Add(MakeElement(name));
  }
  EXPECT_EQ(NamesOf(context_->Parameters().GetGroupMembers(GetParam().path)), GetParam().members);
}

INSTANTIATE_TEST_SUITE_P(Table, ParametersGroups, ::testing::ValuesIn(kGroupCases),
                         [](const auto& i) { return std::string(i.param.name); });

// The members are looked up in a map: it must follow the collection's changes.
TEST_F(ParametersCollection, GroupMembersFollowAddsAndClear) {
  parameters().Add(MakeElement("XX001/"));
  parameters().Add(MakeElement("XX001/B"));
  EXPECT_EQ(NamesOf(parameters().GetGroupMembers("XX001/")), (std::vector<std::string>{"XX001/B"}));
  parameters().Add(MakeElement("XX001/C"));
  parameters().Add(MakeElement("XX001/A"), std::nullopt, "XX001/B");
  EXPECT_EQ(NamesOf(parameters().GetGroupMembers("XX001/")),
            (std::vector<std::string>{"XX001/A", "XX001/B", "XX001/C"}));
  parameters().Clear();
  EXPECT_TRUE(parameters().GetGroupMembers("XX001/").empty());
  parameters().Add(MakeElement("XX001/D"));
  EXPECT_EQ(NamesOf(parameters().GetGroupMembers("XX001/")), (std::vector<std::string>{"XX001/D"}));
}

// One open page "page" besides the sender "editor"; the model logs too.
class ParametersChanges : public fakes::RuntimeFixture {
 protected:
  ParametersChanges() {
    context_->GUIMan().RegisterGUI("editor", editor_, true);
    context_->GUIMan().RegisterGUI("page", page_, true);
  }
  Parameters& parameters() { return context_->Parameters(); }

  std::shared_ptr<fakes::FakePage> editor_ = std::make_shared<fakes::FakePage>("editor", log_);
  std::shared_ptr<fakes::FakePage> page_ = std::make_shared<fakes::FakePage>("page", log_);
  DataElementPtr a_ = MakeElement("A");
  DataElementPtr b_ = MakeElement("B");
};

TEST_F(ParametersChanges, ModelRunsItsRulesBeforeTheOtherPagesHear) {
  parameters().NotifyChanged(a_, "editor");
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "page.ParameterChanged(A)"}));
  EXPECT_EQ(parameters().Changed(), 1);
  EXPECT_EQ(parameters().DataChangedState(), 1);
}

TEST_F(ParametersChanges, BracketSendsOneSetNoticeAtTheOutermostEnd) {
  parameters().BeginChange();
  parameters().NotifyChanged(a_, "editor");
  parameters().BeginChange();
  parameters().NotifyChanged(b_, "editor");
  parameters().EndChange();
  EXPECT_TRUE(parameters().InChange());
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "Model.DataChanged(B)"}));
  parameters().EndChange();
  // The set notice has no sender: the editing page hears it too.
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "Model.DataChanged(B)",
                           "editor.ParameterSetChanged", "page.ParameterSetChanged"}));
  EXPECT_EQ(parameters().Changed(), 2);
}

TEST_F(ParametersChanges, BracketWithoutChangesSendsNothing) {
  parameters().BeginChange();
  parameters().EndChange();
  parameters().EndChange();  // unpaired: no effect
  EXPECT_TRUE(log_.empty());
  EXPECT_FALSE(parameters().InChange());
  // A later bracket starts afresh: one change, one notice.
  parameters().BeginChange();
  parameters().NotifyChanged(a_, "");
  parameters().EndChange();
  parameters().BeginChange();
  parameters().EndChange();
  EXPECT_EQ(log_, (CallLog{"Model.DataChanged(A)", "editor.ParameterSetChanged",
                           "page.ParameterSetChanged"}));
}

TEST_F(ParametersChanges, ResetChangedLeavesTheDataChangedState) {
  parameters().NotifyChanged(a_, "");
  parameters().ResetChanged();
  EXPECT_EQ(parameters().Changed(), 0);
  EXPECT_EQ(parameters().DataChangedState(), 1);
}

TEST_F(ParametersChanges, FrameLockReachesThePagesAndUnlockAnswersTrue) {
  parameters().OnLockDataSet("tag", "");
  EXPECT_TRUE(parameters().Locked());
  EXPECT_TRUE(context_->GUIMan().LockState());
  EXPECT_TRUE(parameters().OnUnlockDataSet("tag", ""));
  EXPECT_FALSE(parameters().Locked());
  EXPECT_EQ(log_, (CallLog{"editor.LockStateChanged(true)", "page.LockStateChanged(true)",
                           "editor.LockStateChanged(false)", "page.LockStateChanged(false)"}));
}

TEST_F(ParametersChanges, FrameParameterNoticesBecomeSetNotices) {
  parameters().OnParameterChanged("tag", "XX001");
  parameters().OnChildParameterChanged("child");
  EXPECT_EQ(log_, (CallLog{"editor.ParameterSetChanged", "page.ParameterSetChanged",
                           "editor.ParameterSetChanged", "page.ParameterSetChanged"}));
}

}  // namespace
}  // namespace dtm::runtime
