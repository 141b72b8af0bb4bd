#pragma once
// The frame's hosting of the DTM's pages. It creates the page of a function
// by its ProgID through the class table, sets the page's ambient locale and
// raises its life-cycle events, calls IDtmActiveXControl_Init with an
// invoke id of its own, the function call and the DTM, delivers what a
// user does to the controls on the page, and releases the page with
// IDtmActiveXControl_PrepareToRelease. Errors of the page's event handlers
// and of its interface calls are collected, never passed on.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/fdt.h"
#include "platform/com/object.h"
#include "platform/forms/user_control.h"

namespace dtm::win {
class Registry;
}

namespace dtm::frame {

// The form of a page object that is not itself a user control.
class HostedForm {
 public:
  virtual ~HostedForm() = default;
  virtual forms::UserControl& Form() = 0;
};

class PageHost {
 public:
  using Factory = std::function<com::ObjectPtr()>;

  enum class Opened {
    kOpened,
    kUnknownFunction,  // no page belongs to the number
    kNotBuilt,         // the ProgID is registered, but nothing serves the class
    kRefused,          // IDtmActiveXControl_Init answered false or failed
  };

  // `opened_before`: the pages other hosts of the same frame have opened,
  // so that this host's invoke ids go on from there and stay unique.
  explicit PageHost(win::Registry& registry, std::uint32_t opened_before = 0)
      : registry_(registry), opened_(opened_before) {}
  ~PageHost();
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  // A page the host creates in place of the component's own while the
  // class table serves none for that class name; it is asked for only then.
  void AddStandIn(const std::string& class_name, Factory factory);

  // Opens the page of a function number 1..14, one page at a time:
  // creation by ProgID, "Initialize", "InitProperties", the ambient locale,
  // IDtmActiveXControl_Init, then "Show" and the focus (the first control
  // that can take it, else "EnterFocus" on the page). A refused page is
  // terminated and dropped. Raises error 5 while a page is open.
  Opened Open(std::int32_t function_id, const std::string& function_call,
              const com::ObjectPtr& dtm, std::int32_t locale_id);

  bool IsOpen() const { return page_ != nullptr; }
  std::int32_t FunctionId() const { return function_id_; }
  const std::string& ClassName() const { return class_name_; }
  const std::string& ProgId() const { return prog_id_; }
  const std::string& InvokeId() const { return invoke_id_; }
  // The open page's form; raises error 91 when none is open.
  forms::UserControl& Form();
  const com::ObjectPtr& Page() const { return page_; }

  // The control of that name ("cmdRead", or "ctlParameter(3)" for one of a
  // control array) on the open page, else on a visible page it hosts (the
  // shown tab of a container); or of a dotted path through the hosted pages
  // ("ctlOfflineParams.cmdNext"), shown or not. nullptr when there is none.
  forms::Control* Find(const std::string& name) const;

  // What a user does. Each raises error 5 ("... cannot take the focus")
  // when the control is hidden or disabled; errors of the handlers are
  // collected.
  // The control takes the focus when it has a window, then "Click"; a check
  // box or option button is clicked as a user clicks it (its value changes).
  void Click(forms::Control& control);
  // Focus, "KeyDown"(KeyCode, Shift 0), "KeyPress"(KeyAscii) for a key
  // with a character, "KeyUp"(KeyCode, Shift 0).
  void PressKey(forms::Control& control, std::int16_t key_code,
                std::optional<std::int16_t> key_ascii);
  // What a user's typing does, the one way the frame's hosts type: focus,
  // then on a parameter field "StartEdit", the text (the field counts as
  // changed), "Change" and "EndEdit"(True); on any other control the new
  // text and "Change". A locked control takes no typing: error 5
  // ("ctlParameter(43) is locked"), and nothing happens.
  void Type(forms::Control& control, const std::string& text);
  // The user moves the focus to the control (its focus events); error 5 as
  // above.
  void Focus(forms::Control& control);
  // The user picks tab `tab`, counted from 1, of a tab strip or a tabbed
  // dialog: "Click" when it was not the tab shown. Out of range: 35600 for
  // a strip, 380 for a dialog.
  void SelectTab(forms::Control& strip, std::size_t tab);

  // The frame's window gets or loses the focus, or its locale changes.
  void EnterFocus();
  void ExitFocus();
  void SetLocale(std::int32_t locale_id);

  // The focus leaves the page, IDtmActiveXControl_PrepareToRelease, then
  // "Terminate" and the page is dropped. A page that refuses stays open
  // and false is returned.
  bool Release();

  // What went wrong inside the page: "cmdSave Click: 75 Path/File access
  // error", "IDtmActiveXControl_Init: 13 Type mismatch", in order.
  std::vector<std::string> Failures() const;

 private:
  class Sink;
  void Drop();
  void Failed(const std::string& where, const com::ComError& error);
  static void TakeFocus(forms::Control& control);

  win::Registry& registry_;
  std::map<std::string, Factory> stand_ins_;
  std::shared_ptr<Sink> sink_;
  com::ObjectPtr page_;
  forms::UserControl* form_ = nullptr;
  IDtmActiveXControl* control_ = nullptr;
  std::int32_t function_id_ = 0;
  std::string class_name_;
  std::string prog_id_;
  std::string invoke_id_;
  std::uint32_t opened_ = 0;
  std::vector<std::string> failures_;
};

}  // namespace dtm::frame
