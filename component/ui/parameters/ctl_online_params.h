#pragma once
// The online parameters page: reads a fixed set of the connected device's
// parameters as soon as it opens, shows them in seventeen fields in four
// frames, and writes back the ones the user changed.

#include <memory>
#include <string>
#include <vector>

#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm {

class ctlOnlineParams : public PageBase {
 public:
  static constexpr std::int16_t kFieldCount = 17;

  explicit ctlOnlineParams(const runtime::Services& services);

  // The element paths the read adds, in order.
  static const std::vector<std::string>& ReadList();

  // The buttons' actions.
  void cmdReadDynPars_Click();
  void cmdWriteDynPars_Click();

  const std::shared_ptr<forms::CommandButton>& ReadButton() const { return cmd_read_; }
  const std::shared_ptr<forms::CommandButton>& WriteButton() const { return cmd_write_; }
  std::shared_ptr<controls::ctlParameter> Field(std::int16_t index) const { return fields_.at(index); }

 protected:
  void FirstAction() override { cmdReadDynPars_Click(); }
  void AddTransferElements(runtime::ParamProcess& process) override;

 private:
  enum class Transfer { kRead, kWrite };

  // The changed elements a write sends: those whose flags are exactly the
  // changed flag; a changed tag sends its whole transaction. `held_back` is
  // set when a changed value was left out because its command would send
  // values never read.
  std::vector<std::string> WriteSelection(bool* held_back = nullptr) const;

  std::shared_ptr<forms::CommandButton> cmd_read_;
  std::shared_ptr<forms::CommandButton> cmd_write_;
  std::vector<std::shared_ptr<controls::ctlParameter>> fields_;
  Transfer transfer_ = Transfer::kRead;
  std::vector<std::string> pending_writes_;
};

}  // namespace dtm
