// The profile's script of the timed actions: how each one ends, and whether
// the device falls silent or the line breaks while it runs.

#include <algorithm>

#include "host/device/sim_device.h"

namespace dtm::device {

void SimDevice::TakeScriptedAction(std::uint8_t action) {
  scripted_silence_at_.reset();
  scripted_break_at_.reset();
  std::vector<ScriptedAction>& script = memory_.action_script;
  const auto entry = std::find_if(script.begin(), script.end(),
                                  [&](const ScriptedAction& s) { return s.action == action; });
  if (entry == script.end()) return;
  const ScriptedAction taken = *entry;
  script.erase(entry);
  // A fault injected for the next action outranks the script.
  if (!next_action_failure_ && taken.result != kActionSucceeded) next_action_failure_ = taken.result;
  const loop::Clock::TimePoint now = clock_.Now();
  if (taken.silent_after) scripted_silence_at_ = now + *taken.silent_after;
  if (taken.line_break_after) scripted_break_at_ = now + *taken.line_break_after;
}

void SimDevice::ApplyScriptedFaults() {
  const loop::Clock::TimePoint now = clock_.Now();
  if (scripted_silence_at_ && now >= *scripted_silence_at_) {
    scripted_silence_at_.reset();
    InjectNoResponse(kUntilCleared);
  }
  if (scripted_break_at_ && now >= *scripted_break_at_) {
    scripted_break_at_.reset();
    InjectLineBreak();
  }
}

}  // namespace dtm::device
