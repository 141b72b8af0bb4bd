#pragma once
// The walk over the results of a page's transfer: a result that was not
// answered, or any result while the connection is gone, takes
// `unanswered_flags` (the skeleton's plain communication error, or an
// action page's full one) in place of the class an earlier answer left,
// or the write-protection class and its command
// error text once an earlier result of the walk carried that class; then
// `mark` hears each result in order, with whether the device answered and
// accepted it. A group's own flags never change with a read, so only the
// outcome tells whether a group's members came back good.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/comm.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

// One result as the walk hands it on.
struct WalkedResult {
  DataElementPtr element;
  std::int32_t flags = 0;  // the element's status flags once the walk marked it
  bool accepted = false;   // answered, and taken by the device (not refused, not busy to the end)
};

void WalkResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                 bool connected, std::int32_t unanswered_flags,
                 const std::function<void(const WalkedResult& result)>& mark);

// The communication error an action page's walk gives an unanswered result.
inline constexpr std::int32_t kActionCommError = 0xF0000;

// Whether flags of a walked result count as a good read: 0 to 3, only the
// information and dynamic bits.
inline bool IsGoodResult(std::int32_t flags) { return flags >= 0 && flags <= 3; }

// Whether a walked result counts as good for a page that judges its flags
// by `IsGoodResult`: accepted, with good flags.
inline bool IsGoodResult(const WalkedResult& result) {
  return result.accepted && IsGoodResult(result.flags);
}

// The path names a group element ("UC013/").
inline bool IsGroupPath(const std::string& path) { return !path.empty() && path.back() == '/'; }

// Whether the result of `result_path` answers for the field of
// `field_path`: its own element, or a member of the group it names.
inline bool ResultCovers(const std::string& result_path, const std::string& field_path) {
  if (field_path == result_path) return true;
  return IsGroupPath(result_path) && field_path.size() > result_path.size() &&
         field_path.compare(0, result_path.size(), result_path) == 0;
}

}  // namespace dtm
