#pragma once
// The navigation object of the search-control library: it remembers the
// frame's last operation phase and, for the pages, finds and shows the
// control that belongs to a parameter path in the help panel. Members
// that callers reach by name go through GetProperty/SetProperty/Invoke.

#include <cstdint>
#include <string>

#include "platform/com/object.h"

namespace dtm::controls {

class Navigation : public com::Object {
 public:
  // Forgets the shown control and the search state; `mode` 0 is a full reset.
  void Reset(std::int32_t mode);
  std::int32_t ResetCount() const { return reset_count_; }
  std::int32_t LastResetMode() const { return last_reset_mode_; }

  const com::Variant& LastOperationPhase() const { return last_operation_phase_; }
  void SetLastOperationPhase(com::Variant phase) { last_operation_phase_ = std::move(phase); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

 private:
  com::Variant last_operation_phase_;
  std::int32_t reset_count_ = 0;
  std::int32_t last_reset_mode_ = -1;
};

}  // namespace dtm::controls
