#include "platform/runtime/process_man.h"

#include "platform/runtime/context.h"

namespace dtm::runtime {

std::string NewProcessID(const Services& services) {
  com::Guid guid;
  services.guids.CreateGuid(guid);
  const std::string text = guid.ToString();
  return text.substr(1, text.size() - 2);
}

ProcessMan::~ProcessMan() {
  // A transfer's end holds this manager; it must not run after the instance is gone.
  for (const auto& [id, process] : running_) {
    if (!process.finishing) context_.CommMan().CancelTransfer(process.transfer);
  }
}

bool ProcessMan::StartProcess(const std::string& invoke_id, const std::string&, bool download,
                              std::int32_t, bool, bool, std::shared_ptr<IPrivateProcess> sink) {
  if (!context_.CommMan().Communication() || running_.count(invoke_id) != 0) return false;
  std::vector<TransferItem> items;
  // A snapshot: the elements' answers may not reshape the collection under us.
  const std::vector<DataElementPtr> elements = context_.Parameters().Elements();
  for (const DataElementPtr& element : elements) {
    const bool take = download ? element->IPrivateDataElement_IsDownloadParam(context_)
                               : element->IPrivateDataElement_IsUploadParam(com::Variant());
    if (take) items.push_back(TransferItem{element, download});
  }
  return Start(invoke_id, download ? Kind::kDownload : Kind::kUpload, std::move(items),
               std::move(sink));
}

bool ProcessMan::StartCommand(const DataElementPtr& element, std::shared_ptr<IPrivateProcess> sink,
                              std::string& process_id) {
  if (!element || !context_.CommMan().Communication()) return false;
  const std::string id = NewProcessID(context_.GetServices());
  if (!Start(id, Kind::kCommand, {TransferItem{element, true}}, std::move(sink))) return false;
  process_id = id;
  return true;
}

void ProcessMan::StartCommand(const std::string& process_id, const std::string& element_name,
                              std::shared_ptr<IPrivateProcess> sink, bool& ok) {
  ok = false;
  if (process_id.empty() || running_.count(process_id) != 0) return;
  const DataElementPtr element = context_.Parameters().Find(element_name);
  if (!element || !context_.CommMan().Communication()) return;
  ok = Start(process_id, Kind::kCommand, {TransferItem{element, true}}, std::move(sink));
}

bool ProcessMan::Start(const std::string& process_id, Kind kind, std::vector<TransferItem> items,
                       std::shared_ptr<IPrivateProcess> sink) {
  // The transfer's end comes from a task of the loop, never inside this call.
  const CommMan::TransferId transfer = context_.CommMan().StartTransfer(
      // The sink is held weakly: it owns the objects that own this manager,
      // and a sink that is gone when the process ends hears nothing.
      process_id, std::move(items),
      [this, process_id, weak_sink = std::weak_ptr<IPrivateProcess>(sink)](bool success) {
        const auto it = running_.find(process_id);
        if (it == running_.end()) return;
        it->second.finishing = true;
        // State() still shows this process while its sink hears the end; it
        // is gone afterwards even when the sink raises.
        struct Forget {
          ProcessMan& self;
          const std::string& id;
          ~Forget() {
            self.running_.erase(id);
            self.UpdateState();
          }
        } forget{*this, process_id};
        if (const auto live_sink = weak_sink.lock()) {
          live_sink->IPrivateProcess_OnProcessFinished(process_id, com::Variant(success));
        }
      });
  running_[process_id] = Running{kind, transfer, false};
  UpdateState();
  return true;
}

bool ProcessMan::CancelProcess(const std::string& invoke_id) {
  const auto it = running_.find(invoke_id);
  if (it == running_.end() || it->second.finishing) return false;
  context_.CommMan().CancelTransfer(it->second.transfer);
  running_.erase(it);
  UpdateState();
  return true;
}

void ProcessMan::ReleaseCommand(const std::string& process_id) {
  const auto it = running_.find(process_id);
  if (it != running_.end() && it->second.kind == Kind::kCommand && !it->second.finishing) {
    context_.CommMan().CancelTransfer(it->second.transfer);
    running_.erase(it);
    UpdateState();
  }
  context_.CommMan().ClearResults(process_id);
}

std::int32_t ProcessMan::StateOf(const std::string& invoke_id) const {
  const auto it = running_.find(invoke_id);
  if (it == running_.end()) return 0;
  if (it->second.kind == Kind::kUpload) return 1;
  if (it->second.kind == Kind::kDownload) return 2;
  return 0;
}

std::vector<std::string> ProcessMan::RunningTransfers() const {
  std::vector<std::string> ids;
  for (const auto& [id, process] : running_) {
    if (process.kind != Kind::kCommand && !process.finishing) ids.push_back(id);
  }
  return ids;
}

void ProcessMan::UpdateState() {
  state_ = 0;
  for (const auto& [id, process] : running_) {
    if (process.kind == Kind::kUpload) state_ |= 1;
    if (process.kind == Kind::kDownload) state_ |= 2;
  }
}

}  // namespace dtm::runtime
