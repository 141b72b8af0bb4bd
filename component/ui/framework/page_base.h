#pragma once
// The one skeleton every page of the component follows: how the frame
// opens and releases it, how the runtime drives it, how the search controls
// reach its controls, how it writes its life into the protocol, and, on a
// page that talks to the device, how a transfer starts and ends with the
// activity display. A page derives from it, places its own controls in its
// constructor and overrides only the steps in which it differs.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "component/ui/framework/ctl_headline.h"
#include "platform/controls/param_site.h"
#include "platform/controls/private_navigation.h"
#include "platform/forms/controls.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/param_process.h"
#include "platform/runtime/services.h"

namespace dtm::runtime {
class DTMContext;
}
namespace dtm::controls {
class Navigation;
}

namespace dtm {

// How the library makes a page: a new, uninitialised page with the
// library's surroundings.
using PageMake = com::ObjectPtr (*)(const runtime::Services&);

class PageBase : public forms::UserControl,
                 public IDtmActiveXControl,
                 public IPrivateGUI,
                 public IPrivateProcess,
                 public controls::IPrivateNavigation,
                 public controls::IParamHelpHost {
 public:
  // What a page is made of besides its own controls.
  struct Design {
    std::string class_name;     // the page's Name and caption-key stem: "ctlOnlineParams"
    // The dictionary key of the headline title ("HeadlineTitle_Online");
    // "" for a page without a headline.
    std::string title_key;
    // A page that talks to the device: a transfer object, the timer
    // Kommunikationstimer and the activity display imgCom(0..2), shpState(0..1).
    bool communicates = false;
  };

  // The activity display's interval and lamp colours.
  static constexpr std::int32_t kActivityInterval = 400;
  static constexpr forms::OleColor kLampOn = 0x00C000;   // green
  static constexpr forms::OleColor kLampOff = 0xC0C0C0;  // grey

  // A page that communicates needs `services` (its timer runs on their
  // loop); the others take their surroundings from the DTM they are
  // initialised with when none are given. The page keeps its own copy, so
  // whoever made it need not outlive it.
  explicit PageBase(Design design, const runtime::Services* services = nullptr);
  ~PageBase() override;

  // ---- IDtmActiveXControl ----
  // False for an empty id, without a DTM, and on a page already initialised
  // (it is never registered twice).
  bool IDtmActiveXControl_Init(const std::string& invoke_id, const std::string& function_call,
                               const com::ObjectPtr& dtm) override;
  // Refused (false) when the parameter site refuses; the page then works on.
  // A released page's timers are stopped, so nothing fires on it.
  bool IDtmActiveXControl_PrepareToRelease() override;

  // ---- IPrivateGUI ----
  bool IPrivateGUI_CloseGUI() override;
  void IPrivateGUI_LockStateChanged(bool locked) override;
  void IPrivateGUI_ParameterChanged(const DataElementPtr& element) override;
  void IPrivateGUI_ParameterSetChanged() override;
  void IPrivateGUI_ValidateParameters() override;
  void IPrivateGUI_SetLanguage(std::int32_t language_id) override;

  // ---- IPrivateProcess ----
  void IPrivateProcess_OnProcessProgress(const std::string&, const com::Variant&,
                                         const com::Variant&) override {}
  // The result pattern: marks the page's fields by the results of its own
  // transfer, enables the buttons and stops the activity display.
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& unused) override;

  // ---- IPrivateNavigation ----
  void IPrivateNavigation_InitControl(controls::Navigation& navigation,
                                      const com::Variant& unused) override;
  std::shared_ptr<controls::Collection> IPrivateNavigation_FindParameters(
      controls::Navigation& navigation, const std::string& search_text,
      const std::string& name_text) override;
  std::shared_ptr<controls::Collection> IPrivateNavigation_GetDictKeys(
      controls::Navigation& navigation, const std::string& key) override;
  bool IPrivateNavigation_ShowControl(const std::string& path, bool show,
                                      const std::string& search_path) override;

  // The help panel, for the parameter link of a field on this page.
  std::shared_ptr<controls::ctlParamHelp> GetParamHelpCtl() override { return help_; }

  // ---- What the page shows, for hosts and tests ----
  const std::string& InvokeID() const { return m_InvokeID; }
  // Initialised: a DTM and an invoke id.
  bool Initialised() const { return m_DTM != nullptr && !m_InvokeID.empty(); }
  const std::string& TitleText() const { return m_Title; }
  std::uint8_t ComState() const { return m_ComState; }
  const Design& GetDesign() const { return design_; }
  controls::ctlParamSite& ParamSite() const { return *site_; }
  // nullptr on a page without one.
  ctlHeadline* Headline() const { return headline_.get(); }
  forms::Timer* ActivityTimer() const { return timer_.get(); }
  runtime::ParamProcess* Process() const { return m_Process.get(); }
  // The process that ended is this page's own.
  bool OwnsProcess(const std::string& process_id) const;
  forms::Control& ImgCom(std::size_t i) const { return *img_com_.at(i); }
  forms::Control& ShpState(std::size_t i) const { return *shp_state_.at(i); }

 protected:
  // ---- The steps a page may override ----
  // Runs at the end of a successful Init; none by default.
  virtual void FirstAction() {}
  // The page's own step when it is shown, before the navigation shows its
  // control; none by default.
  virtual void Showing() {}
  // The tab that holds a control (by the name and index the navigation
  // reads from a path), selected before the control is shown; the default
  // page has no tabs.
  virtual void SelectTabOf(controls::Navigation& navigation, const std::string& path) {
    (void)navigation;
    (void)path;
  }
  // The fields the communication marks cover; by default every parameter
  // field of the page in ascending index.
  virtual std::vector<std::shared_ptr<controls::ctlParameter>> MarkedFields() const;
  // The status flags of a field's element after a good result; 0 by default.
  virtual std::int32_t GoodResultFlags() const { return 0; }
  // The same for one field; GoodResultFlags unless a page's fields differ.
  virtual std::int32_t FieldGoodFlags(const controls::ctlParameter& field) const {
    (void)field;
    return GoodResultFlags();
  }
  // Whether the flags of a result's own element count as a good read: 0 or
  // the information flag alone by default.
  virtual bool IsGoodFieldFlags(std::int32_t flags) const;
  // The elements a transfer of this page adds when its process is empty.
  virtual void AddTransferElements(runtime::ParamProcess& process) { (void)process; }
  // The buttons' tool tips come from the dictionary ("tooltip" of their
  // caption key).
  virtual bool SetsButtonToolTips() const { return true; }
  // The ambient locale changed on an initialised page; `primary_language`
  // is its primary language.
  virtual void LocaleChanged(std::int32_t primary_language);

  virtual void InitParamSite();
  virtual void ApplyLanguage(std::int32_t language_id);
  virtual bool ReleaseParamSite();
  virtual void OnParameterChanged(const DataElementPtr& element);
  virtual void OnParameterSetChanged();
  virtual void ValidateParamSite();
  virtual void SetLockState(bool enabled);
  // Whether the page writes its start and end into the protocol.
  virtual bool WritesItsLifeToTheProtocol() const { return true; }
  // Right after the page registered with the GUI manager, and right after
  // it unregistered (released or terminated).
  virtual void Registered() {}
  virtual void Unregistered(const std::string& invoke_id) { (void)invoke_id; }

  // ---- Helpers for the pages ----
  // The DTM's context, asked afresh each time; nullptr without a DTM.
  runtime::DTMContext* GetDtmContext() const;
  const com::ObjectPtr& DTM() const { return m_DTM; }
  // The surroundings given at construction, else those of the DTM's
  // context; nullptr when there are neither.
  const runtime::Services* GetServices() const;
  // The navigation object of the DTM's state; nullptr without one.
  std::shared_ptr<controls::Navigation> GetNavigation() const;
  // The command buttons of the page (names beginning with "cmd").
  std::vector<forms::ControlPtr> CommandButtons() const;
  // The echo of a control the user left: the help panel follows it.
  void Echo(const forms::ControlPtr& control);
  // Connects `event` of `control` to the echo (LostFocus of buttons and
  // fields, Click of frames).
  void EchoOn(const forms::ControlPtr& control, const std::string& event);
  // The headline title by the data set's state; no dictionary lookup.
  void RenewHeadlineTitle();

  // The start pattern of a read or write; `flag` goes to the process's
  // Start.
  void StartTransfer(bool flag);
  // The start of a request on one element, as the action pages send their
  // commands: nothing while the process is busy or the page has no DTM
  // (kNotStarted); a start that fails is aborted and answers kFailed, for
  // the page to tell and mark in its own way.
  enum class OneStart { kStarted, kNotStarted, kFailed };
  OneStart StartOne(const std::string& path, bool write);
  void MarkParamsCommError();
  void MarkParamsCommOk();
  // Walks `results` and marks each field of MarkedFields by the result of
  // its own element, or of the group that holds it: a result that is not
  // good marks it with the communication error, and no later result of the
  // walk clears that. Fields no result answers for keep their flags. True
  // when the device answered and accepted every result.
  bool MarkFieldsByResults(runtime::DTMContext& context, const std::vector<runtime::ProcessResult>& results,
                           std::int32_t unanswered_flags);
  void StartActivity();
  void StopActivity();
  void ResetActivity();

  // The caption-key prefix: the class name and "_".
  std::string Prefix() const { return design_.class_name + "_"; }

 private:
  void ActivityTick();
  void Forget();

  std::optional<runtime::Services> services_;
  Design design_;
  std::shared_ptr<controls::ctlParamSite> site_;
  std::shared_ptr<controls::ctlParamHelp> help_;
  std::shared_ptr<ctlHeadline> headline_;
  std::shared_ptr<forms::Timer> timer_;
  std::vector<std::shared_ptr<forms::Control>> img_com_;
  std::vector<std::shared_ptr<forms::Control>> shp_state_;

  com::ObjectPtr m_DTM;
  std::string m_InvokeID;
  std::string m_Title;
  std::shared_ptr<runtime::ParamProcess> m_Process;
  std::uint8_t m_ComState = 0;
};

}  // namespace dtm
