#include "host/frame/frame_container.h"

#include <utility>

namespace dtm::frame {

namespace {

std::string Flag(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string FrameContainerStandIn::Notice::ToString() const {
  std::string text = name + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i != 0) text += ", ";
    text += arguments[i];
  }
  return text + ")";
}

bool FrameContainerStandIn::Record(std::string name, std::vector<std::string> arguments) {
  log_.push_back({std::move(name), std::move(arguments)});
  return true;
}

bool FrameContainerStandIn::CommunicationReleased(const std::string& system_tag) {
  return Record("CommunicationReleased", {system_tag});
}

bool FrameContainerStandIn::PreparedToRelease(const std::string& system_tag) {
  return Record("PreparedToRelease", {system_tag});
}

bool FrameContainerStandIn::UploadFinished(const std::string& invoke_id, bool success) {
  return Record("UploadFinished", {invoke_id, Flag(success)});
}

bool FrameContainerStandIn::DownloadFinished(const std::string& invoke_id, bool success) {
  return Record("DownloadFinished", {invoke_id, Flag(success)});
}

bool FrameContainerStandIn::OpenFunctionRequest(const std::string& system_tag,
                                                const std::string& function_call) {
  return Record("OpenFunctionRequest", {system_tag, function_call});
}

bool FrameContainerStandIn::SaveRequest(const std::string& system_tag) {
  Record("SaveRequest", {system_tag});
  if (save_callback_) save_callback_(system_tag);
  return save_answer_;
}

std::vector<std::string> FrameContainerStandIn::LogLines() const {
  std::vector<std::string> lines;
  lines.reserve(log_.size());
  for (const Notice& notice : log_) lines.push_back(notice.ToString());
  return lines;
}

}  // namespace dtm::frame
