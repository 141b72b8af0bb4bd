#include "platform/forms/common_dialog.h"

namespace dtm::forms {

void CommonDialog::ShowSave() {
  std::optional<std::string> chosen;
  if (answerer_) chosen = answerer_->AnswerSave(*this);
  if (chosen) {
    file_name_ = std::move(*chosen);
    return;
  }
  if (cancel_error_) throw com::ComError(kCancelError, "Cancel was selected.", Name());
}

}  // namespace dtm::forms
