#pragma once
// The common dialog for choosing the file to save to. There is no window:
// an answerer that the host or a test supplies plays the user, seeing the
// dialog as it is set up and giving a file name or cancelling.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/forms/control.h"

namespace dtm::forms {

class CommonDialog;

class FileDialogAnswerer {
 public:
  virtual ~FileDialogAnswerer() = default;
  // The file name the user chose, or nullopt when the user cancelled.
  virtual std::optional<std::string> AnswerSave(const CommonDialog& dialog) = 0;
};

class CommonDialog : public Control {
 public:
  static constexpr std::int32_t kCancelError = 32755;
  // Flags of the save dialog.
  static constexpr std::int32_t kOverwritePrompt = 0x2;
  static constexpr std::int32_t kHideReadOnly = 0x4;

  explicit CommonDialog(std::string name, FileDialogAnswerer* answerer = nullptr)
      : Control(ControlKind::kCommonDialog, std::move(name)), answerer_(answerer) {}
  // Not owned; nullptr leaves no one to answer.
  void SetAnswerer(FileDialogAnswerer* answerer) { answerer_ = answerer; }

  std::int32_t Flags() const { return flags_; }
  void SetFlags(std::int32_t flags) { flags_ = flags; }
  // "Text|*.txt|All files|*.*": description and pattern pairs.
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string name) { file_name_ = std::move(name); }
  const std::string& DialogTitle() const { return title_; }
  void SetDialogTitle(std::string title) { title_ = std::move(title); }
  bool CancelError() const { return cancel_error_; }
  void SetCancelError(bool raise) { cancel_error_ = raise; }

  // Shows the save dialog. A chosen name becomes FileName. A cancel (and,
  // with no answerer, the dialog that nobody answers) leaves FileName as it
  // was, raising 32755 ("Cancel was selected.") when CancelError is True.
  void ShowSave();

 private:
  FileDialogAnswerer* answerer_;
  std::int32_t flags_ = 0;
  std::string filter_;
  std::string file_name_;
  std::string title_;
  bool cancel_error_ = false;
};

}  // namespace dtm::forms
