#pragma once
// The process manager: the runtime's processes that move parameters between
// the data set and the device (an upload or a download of all parameters,
// device commands) and report their end to a sink.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "component/interfaces/private.h"

namespace dtm::runtime {

class DTMContext;

class ProcessMan {
 public:
  explicit ProcessMan(DTMContext& context) : context_(context) {}
  ~ProcessMan();  // withdraws the ends still posted

  // Starts an upload (download false) or a download of all parameters under
  // `invoke_id`. The end reaches `sink` once, posted to the event loop.
  // False when it cannot start (no communication, a process of that id runs).
  bool StartProcess(const std::string& invoke_id, const std::string& parameter_path,
                    bool download, std::int32_t flags, bool notify_frame, bool whole_set,
                    std::shared_ptr<IPrivateProcess> sink);
  bool CancelProcess(const std::string& invoke_id);
  // Bit set of the running processes: 1 an upload, 2 a download. Still valid
  // inside the finish callback of the process that ends.
  std::int32_t State() const { return state_; }

 private:
  struct Running {
    bool download;
    std::uint64_t end_task;  // the loop's task that reports the end
    bool finishing;          // its end is being reported
  };
  void UpdateState();

  DTMContext& context_;
  std::map<std::string, Running> running_;
  std::int32_t state_ = 0;
};

}  // namespace dtm::runtime
