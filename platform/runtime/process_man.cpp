#include "platform/runtime/process_man.h"

#include "platform/runtime/context.h"

namespace dtm::runtime {

ProcessMan::~ProcessMan() {
  // A posted end holds this manager; it must not run after the instance is gone.
  for (const auto& [id, process] : running_) {
    if (!process.finishing) context_.GetServices().loop.Cancel(process.end_task);
  }
}

bool ProcessMan::StartProcess(const std::string& invoke_id, const std::string&, bool download,
                              std::int32_t, bool, bool, std::shared_ptr<IPrivateProcess> sink) {
  if (!context_.CommMan().Communication() || running_.count(invoke_id) != 0) return false;
  // Parameters do not move yet: the process ends as soon as the loop runs.
  const auto end_task = context_.GetServices().loop.Post([this, invoke_id, sink] {
    const auto it = running_.find(invoke_id);
    if (it == running_.end()) return;
    it->second.finishing = true;
    // State() still shows this process while its sink hears the end.
    if (sink) sink->IPrivateProcess_OnProcessFinished(invoke_id, com::Variant(true));
    running_.erase(invoke_id);
    UpdateState();
  });
  running_[invoke_id] = Running{download, end_task, false};
  UpdateState();
  return true;
}

bool ProcessMan::CancelProcess(const std::string& invoke_id) {
  const auto it = running_.find(invoke_id);
  if (it == running_.end() || it->second.finishing) return false;
  context_.GetServices().loop.Cancel(it->second.end_task);
  running_.erase(it);
  UpdateState();
  return true;
}

void ProcessMan::UpdateState() {
  state_ = 0;
  for (const auto& [id, process] : running_) state_ |= process.download ? 2 : 1;
}

}  // namespace dtm::runtime
