// The object graph a new DTM builds, and what its members answer by name.

#include <gtest/gtest.h>

#include "component/datamodel/data_model.h"
#include "component/dtm/dtm_state.h"
#include "component/dtm/function_man.h"
#include "platform/controls/navigation.h"
#include "tests/component/dtm/dtm_fixture.h"

namespace dtm::testing {
namespace {

using DtmStartUp = DtmFixture;

TEST_F(DtmStartUp, ContextIsBoundToTheInstanceObjects) {
  runtime::DTMContext& context = Context();
  EXPECT_EQ(context.DTM(), com::ObjectPtr(dtm_));
  EXPECT_NE(std::dynamic_pointer_cast<clsDataModel>(context.DataModel()), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<clsFunctionMan>(context.Functions()), nullptr);
  ASSERT_NE(context.CommObject(), nullptr);
  EXPECT_TRUE(context.CommObject()->Enabled());
  EXPECT_EQ(dtm_->DTMContext(), com::ObjectPtr(context.shared_from_this()));
}

TEST_F(DtmStartUp, DataFolderIsXmlDataBelowTheInstallation) {
  const std::filesystem::path expected = SourceDir() / "data" / "XMLData" / "";
  EXPECT_EQ(Context().XMLMan().DataFolder(), expected.string());
}

TEST_F(DtmStartUp, StateHoldsANavigationResetOnceWithZero) {
  auto state = std::dynamic_pointer_cast<DTMState>(Context().DTMState());
  ASSERT_NE(state, nullptr);
  auto navigation = std::dynamic_pointer_cast<controls::Navigation>(state->Navigation());
  ASSERT_NE(navigation, nullptr);
  EXPECT_EQ(navigation->ResetCount(), 1);
  EXPECT_EQ(navigation->LastResetMode(), 0);
  // Pages reach it by name.
  EXPECT_EQ(state->GetProperty("Navigation").ToObject(), state->Navigation());
}

TEST_F(DtmStartUp, PublicMembersAreReachableByNameThroughTheContext) {
  const com::ObjectPtr dtm = Context().DTM();
  dtm->SetProperty("MonitorInvokeID", com::Variant("mon-1"));
  dtm->SetProperty("UpDownloadAll", com::Variant(true));
  dtm->SetProperty("ParamBusyCounter", com::Variant(std::int16_t{3}));
  EXPECT_EQ(dtm_->MonitorInvokeID(), "mon-1");
  EXPECT_TRUE(dtm_->UpDownloadAll());
  EXPECT_EQ(dtm_->ParamBusyCounter(), 3);
  EXPECT_EQ(dtm->GetProperty("MonitorInvokeID"), com::Variant("mon-1"));
  EXPECT_EQ(dtm->GetProperty("UpDownloadAll"), com::Variant(true));
  EXPECT_EQ(dtm->GetProperty("ParamBusyCounter"), com::Variant(std::int16_t{3}));
  EXPECT_THROW(dtm->GetProperty("NoSuchMember"), com::ComError);
}

TEST_F(DtmStartUp, NothingIsReportedWhileBuilding) {
  EXPECT_TRUE(messages_.entries.empty());
  EXPECT_FALSE(loop_.HasPending());
}

}  // namespace
}  // namespace dtm::testing
