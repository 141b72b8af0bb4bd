#pragma once
// The process manager: the runtime's processes that move parameters between
// the data set and the device (an upload or a download of all parameters,
// device commands) and report their end to a sink. The transactions run
// through the communication manager, one element a transaction.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/runtime/comm.h"

namespace dtm::runtime {

class DTMContext;
struct Services;

// A new process id: a GUID's text without its braces.
std::string NewProcessID(const Services& services);

class ProcessMan {
 public:
  explicit ProcessMan(DTMContext& context) : context_(context) {}
  ~ProcessMan();  // withdraws the processes still running
  ProcessMan(const ProcessMan&) = delete;
  ProcessMan& operator=(const ProcessMan&) = delete;

  // Starts an upload (download false) or a download of all parameters under
  // `invoke_id`: an upload reads every element of the parameter collection,
  // in its order, whose IPrivateDataElement_IsUploadParam(Empty) is true; a
  // download writes every element whose IPrivateDataElement_IsDownloadParam
  // is true. A group element is one transaction. The end reaches `sink`
  // once, posted to the event loop: IPrivateProcess_OnProcessFinished with
  // true when the device accepted every transaction (every result's Outcome
  // is kAccepted; also when no element qualified).
  // False when it cannot start (no communication, a process of that id runs).
  bool StartProcess(const std::string& invoke_id, const std::string& parameter_path, bool download,
                    std::int32_t flags, bool notify_frame, bool whole_set,
                    std::shared_ptr<IPrivateProcess> sink);
  // Stops sending after the transaction in flight; the sink hears no end.
  // True when the process was running.
  bool CancelProcess(const std::string& invoke_id);
  // Bit set of the running processes: 1 an upload, 2 a download. Still valid
  // inside the finish callback of the process that ends.
  std::int32_t State() const { return state_; }
  // The same for one process: 1 an upload, 2 a download, 0 a command or a
  // process that is not running (cancelled, ended, or never started). Still
  // valid inside its own finish callback.
  std::int32_t StateOf(const std::string& invoke_id) const;
  // The ids of the uploads and downloads that run and are not ending yet,
  // in id order.
  std::vector<std::string> RunningTransfers() const;

  // Runs one device command element (a write) as a process of its own under
  // a new id (`process_id`); its end as for StartProcess. False without
  // communication or element.
  bool StartCommand(const DataElementPtr& element, std::shared_ptr<IPrivateProcess> sink,
                    std::string& process_id);
  // The same for the element of the path `element_name`, under the id the
  // caller chose (its end carries that id, and GetResults and
  // ReleaseCommand take it). `ok` is false, and nothing starts, without
  // communication, for an empty id or one whose process still runs, and
  // for a path that names no element.
  void StartCommand(const std::string& process_id, const std::string& element_name,
                    std::shared_ptr<IPrivateProcess> sink, bool& ok);
  // Lets go of a command: stops it when it still runs (no end is reported)
  // and forgets its results.
  void ReleaseCommand(const std::string& process_id);

 private:
  enum class Kind { kUpload, kDownload, kCommand };
  struct Running {
    Kind kind;
    CommMan::TransferId transfer;
    bool finishing;  // its end is being reported
  };
  bool Start(const std::string& process_id, Kind kind, std::vector<TransferItem> items,
             std::shared_ptr<IPrivateProcess> sink);
  void UpdateState();

  DTMContext& context_;
  std::map<std::string, Running> running_;
  std::int32_t state_ = 0;
};

}  // namespace dtm::runtime
