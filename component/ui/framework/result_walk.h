#pragma once
// The walk over the results of a page's transfer: a result that was not
// answered, or any result while the connection is gone, takes
// `unanswered_flags` (the skeleton's plain communication error, or an
// action page's full one), or the write-protection class and its command
// error text once an earlier result of the walk carried that class; then
// `mark` hears each result's flags in order, so the last one decides.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/runtime/comm.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

void WalkResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                 bool connected, std::int32_t unanswered_flags,
                 const std::function<void(std::int32_t flags)>& mark);

// The communication error an action page's walk gives an unanswered result.
inline constexpr std::int32_t kActionCommError = 0xF0000;

// Whether flags of a walked result count as a good read: 0 to 3, only the
// information and dynamic bits.
inline bool IsGoodResult(std::int32_t flags) { return flags >= 0 && flags <= 3; }

}  // namespace dtm
