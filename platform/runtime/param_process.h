#pragma once
// A page's transfer object: a list of elements to read or write in one
// pass, run through the communication manager; the pass's end reaches the
// sink once, posted to the event loop.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/object.h"

namespace dtm::runtime {

class DTMContext;

class ParamProcess : public com::Object {
 public:
  // The `error` codes; 0 is success.
  static constexpr std::int32_t kBusy = 1;             // a pass is under way
  static constexpr std::int32_t kNotInitialised = 2;   // no Init, or Released
  static constexpr std::int32_t kNoCommunication = 3;  // the frame gave none
  static constexpr std::int32_t kNothingToDo = 4;      // no element added
  static constexpr std::int32_t kNoElement = 5;        // AddElement of Nothing

  ParamProcess() = default;
  ~ParamProcess() override;  // aborts a running pass

  // The context must outlive the pass, or be held by a shared_ptr (a pass
  // of a context that is gone is over).
  void Init(DTMContext& context);
  // Aborts a running pass and lets go of the context and the elements.
  void Release();
  // Empties the element list and the results of the last pass, so the
  // next pass sends only what is added after it. `error` 0, or kBusy while
  // a pass is under way (nothing changes then).
  void Reset(std::int32_t& error);
  bool IsEmpty() const { return entries_.empty(); }
  // `write` true writes (or starts a device command), false reads. `error`
  // 0, kNoElement, or kBusy while a pass is under way.
  void AddElement(const DataElementPtr& element, bool write, std::int32_t& error);
  // Starts a pass under a new process id; `error` 0 when started, else one
  // of the codes above. The entries go in order, one transaction each; the
  // results of the previous pass are forgotten. A process that is busy but
  // whose pass has ended may start its next pass (a cyclic read does so
  // with the same entries). `flags` and `b` do not change how it runs.
  void Start(const std::shared_ptr<IPrivateProcess>& sink, std::int32_t flags, bool b,
             std::int32_t& error);
  // True from a successful Start until Abort or Release, also after the
  // pass has ended: a page ends its process with Abort once it has taken
  // the results, and a cyclic page keeps it busy between its passes.
  bool IsBusy() const { return busy_; }
  // True while a pass is under way: from a successful Start until its end
  // (already false when the sink hears it) or Abort.
  bool PassRunning() const { return running_; }
  // Ends the busy state; a pass under way stops after the transaction in
  // flight and its sink hears no end.
  void Abort();
  // The id of the last pass started (CommMan.GetResults takes it); empty before.
  const std::string& ProcessID() const { return process_id_; }
  // Whether `finished_id` is this process's pass.
  void IsOwnProcess(const std::string& finished_id, bool& own) const;

  struct Entry {
    DataElementPtr element;
    bool write;
  };
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  DTMContext* Context() const;  // nullptr when none or gone

  DTMContext* context_ = nullptr;
  std::weak_ptr<com::Object> context_owner_;  // set when a shared_ptr holds the context
  bool context_shared_ = false;
  std::vector<Entry> entries_;
  std::string process_id_;
  std::uint64_t transfer_ = 0;  // the communication manager's id of the pass
  bool busy_ = false;
  bool running_ = false;
};

}  // namespace dtm::runtime
