#include "platform/runtime/param_process.h"

#include "platform/runtime/context.h"

namespace dtm::runtime {

ParamProcess::~ParamProcess() { Abort(); }

DTMContext* ParamProcess::Context() const {
  if (context_shared_ && context_owner_.expired()) return nullptr;
  return context_;
}

void ParamProcess::Init(DTMContext& context) {
  Abort();
  context_ = &context;
  context_owner_ = context.weak_from_this();
  context_shared_ = !context_owner_.expired();
}

void ParamProcess::Release() {
  Abort();
  context_ = nullptr;
  context_owner_.reset();
  context_shared_ = false;
  entries_.clear();
}

void ParamProcess::Reset(std::int32_t& error) {
  if (running_) {
    error = kBusy;
    return;
  }
  entries_.clear();
  if (DTMContext* context = Context(); context && !process_id_.empty()) {
    context->CommMan().ClearResults(process_id_);
  }
  error = 0;
}

void ParamProcess::AddElement(const DataElementPtr& element, bool write, std::int32_t& error) {
  if (running_) {
    error = kBusy;
  } else if (!element) {
    error = kNoElement;
  } else {
    entries_.push_back(Entry{element, write});
    error = 0;
  }
}

void ParamProcess::Start(const std::shared_ptr<IPrivateProcess>& sink, std::int32_t, bool,
                         std::int32_t& error) {
  DTMContext* context = Context();
  if (!context) {
    error = kNotInitialised;
    return;
  }
  if (running_) {
    error = kBusy;
    return;
  }
  if (entries_.empty()) {
    error = kNothingToDo;
    return;
  }
  CommMan& comm = context->CommMan();
  if (!comm.Communication()) {
    error = kNoCommunication;
    return;
  }
  // A page passes again and again; only the last pass's results are kept.
  if (!process_id_.empty()) comm.ClearResults(process_id_);
  process_id_ = NewProcessID(context->GetServices());

  std::vector<TransferItem> items;
  items.reserve(entries_.size());
  for (const Entry& entry : entries_) items.push_back(TransferItem{entry.element, entry.write});
  const std::string id = process_id_;
  // The sink (a page) owns this object: held weakly, so neither keeps the other.
  transfer_ = comm.StartTransfer(id, std::move(items),
                                 [this, id, weak_sink = std::weak_ptr<IPrivateProcess>(sink)](
                                     bool success) {
    // A page that starts its next pass from the end must find this one
    // over; the process stays busy until the page aborts it.
    running_ = false;
    transfer_ = 0;
    if (const auto live_sink = weak_sink.lock()) {
      live_sink->IPrivateProcess_OnProcessFinished(id, com::Variant(success));
    }
  });
  busy_ = true;
  running_ = true;
  error = 0;
}

void ParamProcess::Abort() {
  busy_ = false;
  if (!running_) return;
  running_ = false;
  if (DTMContext* context = Context()) context->CommMan().CancelTransfer(transfer_);
  transfer_ = 0;
}

void ParamProcess::IsOwnProcess(const std::string& finished_id, bool& own) const {
  own = !process_id_.empty() && finished_id == process_id_;
}

}  // namespace dtm::runtime
