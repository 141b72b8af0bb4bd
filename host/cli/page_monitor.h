#pragma once
// The communication monitor as the frame hosts it while the component's
// monitor class keeps only the protocol: a form with the protocol list and
// the clear button around that class, and the page's life cycle (register
// under its invoke id, become the DTM's monitor, the title line and a
// language block at each language change, let go at release or end).

#include <cstdint>
#include <memory>
#include <string>

#include "component/interfaces/fdt.h"
#include "component/ui/framework/ctl_monitor.h"
#include "host/frame/page_host.h"
#include "platform/forms/user_control.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm::host {

class HostedMonitorPage final : public ctlMonitor,
                                public IDtmActiveXControl,
                                public frame::HostedForm {
 public:
  static std::shared_ptr<HostedMonitorPage> Create();

  forms::UserControl& Form() override { return *form_; }

  // False for an empty id, no DTM, or a page initialised already.
  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override;
  bool IDtmActiveXControl_PrepareToRelease() override;

  bool IPrivateGUI_CloseGUI() override { return IDtmActiveXControl_PrepareToRelease(); }
  void IPrivateGUI_SetLanguage(std::int32_t language_id) override;

 private:
  HostedMonitorPage() = default;
  void Build();
  runtime::DTMContext* Context() const;
  void ApplyLanguage(std::int32_t language_id);
  void WriteLanguageInfo(std::int32_t language_id);
  // Unregisters and gives up the DTM's monitor id when it is this page's.
  void LetGo();

  std::shared_ptr<forms::UserControl> form_;
  com::ObjectPtr m_DTM;
  std::string m_InvokeID;
};

}  // namespace dtm::host
