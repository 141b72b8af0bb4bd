#pragma once
// The frame's container of one DTM instance. It keeps a log of every notice
// the DTM sends, in order, so the host can show them and tests can check
// them; the storage request answers as configured.

#include <functional>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "platform/com/object.h"

namespace dtm::frame {

class FrameContainerStandIn final : public com::Object, public FrameContainer, public FrameStorage {
 public:
  struct Notice {
    std::string name;                    // the operation, "UploadFinished"
    std::vector<std::string> arguments;  // as given; flags as "true"/"false"
    // "UploadFinished(u1, true)"
    std::string ToString() const;
    friend bool operator==(const Notice&, const Notice&) = default;
  };

  // The notices answer true: the DTM ignores their answers.
  bool CommunicationReleased(const std::string& system_tag) override;
  bool PreparedToRelease(const std::string& system_tag) override;
  bool UploadFinished(const std::string& invoke_id, bool success) override;
  bool DownloadFinished(const std::string& invoke_id, bool success) override;
  bool OpenFunctionRequest(const std::string& system_tag,
                           const std::string& function_call) override;
  // Logged, then the save callback runs (it may save the instance through
  // its persistence), then it answers SaveAnswer().
  bool SaveRequest(const std::string& system_tag) override;

  const std::vector<Notice>& Log() const { return log_; }
  std::vector<std::string> LogLines() const;  // each notice's ToString()
  void ClearLog() { log_.clear(); }

  bool SaveAnswer() const { return save_answer_; }
  void SetSaveAnswer(bool answer) { save_answer_ = answer; }
  void SetSaveCallback(std::function<void(const std::string& system_tag)> callback) {
    save_callback_ = std::move(callback);
  }

 private:
  bool Record(std::string name, std::vector<std::string> arguments);

  std::vector<Notice> log_;
  bool save_answer_ = true;
  std::function<void(const std::string&)> save_callback_;
};

}  // namespace dtm::frame
