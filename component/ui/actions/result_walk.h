#pragma once
// The walk over the results of an action page's request: a result that
// was not answered, or any result while the connection is gone, takes the
// communication error, or the write-protection class and its command
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
                 bool connected, const std::function<void(std::int32_t flags)>& mark);

// Whether flags of a walked result count as a good read: 0 to 3, only the
// information and dynamic bits.
inline bool IsGoodResult(std::int32_t flags) { return flags >= 0 && flags <= 3; }

}  // namespace dtm
