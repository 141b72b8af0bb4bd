#include "platform/forms/common_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/testing/raised.h"

namespace dtm::forms {
namespace {

// Plays the user: gives the next answer and notes what the dialog showed.
class ScriptedAnswerer : public FileDialogAnswerer {
 public:
  explicit ScriptedAnswerer(std::optional<std::string> answer) : answer_(std::move(answer)) {}
  std::optional<std::string> AnswerSave(const CommonDialog& dialog) override {
    shown_.push_back(dialog.DialogTitle() + "|" + std::to_string(dialog.Flags()) + "|" +
                     dialog.Filter() + "|" + dialog.FileName());
    return answer_;
  }
  std::optional<std::string> answer_;
  std::vector<std::string> shown_;
};

TEST(SaveDialog, ChosenNameBecomesTheFileName) {
  ScriptedAnswerer user("/tmp/protocol.log");
  CommonDialog dialog("comdlgSave", &user);
  dialog.SetFlags(CommonDialog::kOverwritePrompt | CommonDialog::kHideReadOnly);
  dialog.SetFilter("Log|*.LOG");
  dialog.SetDialogTitle("Save");
  dialog.SetFileName("vd4625.LOG");
  dialog.SetCancelError(true);
  dialog.ShowSave();
  EXPECT_EQ(dialog.FileName(), "/tmp/protocol.log");
  EXPECT_EQ(user.shown_, (std::vector<std::string>{"Save|6|Log|*.LOG|vd4625.LOG"}));
}

struct CancelCase {
  const char* name;
  bool answerer;
  bool cancel_error;
  std::int32_t error;
};
const CancelCase kCancels[] = {
    {"CancelWithCancelError", true, true, 32755},
    {"CancelWithoutCancelError", true, false, 0},
    {"NobodyAnswersWithCancelError", false, true, 32755},
    {"NobodyAnswersWithoutCancelError", false, false, 0},
};
class SaveDialogCancel : public ::testing::TestWithParam<CancelCase> {};
TEST_P(SaveDialogCancel, RaisesOnlyWithCancelErrorAndKeepsTheName) {
  ScriptedAnswerer user(std::nullopt);
  CommonDialog dialog("comdlgSave", GetParam().answerer ? &user : nullptr);
  dialog.SetFileName("old.LOG");
  dialog.SetCancelError(GetParam().cancel_error);
  EXPECT_EQ(testing::ErrorOf([&] { dialog.ShowSave(); }), GetParam().error);
  EXPECT_EQ(dialog.FileName(), "old.LOG");
}
INSTANTIATE_TEST_SUITE_P(Table, SaveDialogCancel, ::testing::ValuesIn(kCancels),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(SaveDialog, CancelErrorCarriesItsText) {
  ScriptedAnswerer user(std::nullopt);
  CommonDialog dialog("comdlgSave", &user);
  dialog.SetCancelError(true);
  const com::ComError error = testing::RaisedBy([&] { dialog.ShowSave(); });
  EXPECT_EQ(error.Description(), "Cancel was selected.");
  EXPECT_EQ(error.Source(), "comdlgSave");
}

}  // namespace
}  // namespace dtm::forms
