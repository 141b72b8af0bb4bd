#pragma once
// The component's message boxes as the browser's dialogs. A box waits, as
// a modal box does, until the user answers it: the wait keeps the DTM's
// thread running (timers, device answers, the browser's requests), so the
// answer arrives as one of those requests. Reports go to the notices.

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/runtime/services.h"

namespace dtm::live {

class LiveMessages final : public runtime::MessageSink {
 public:
  struct Button {
    std::int32_t id = 0;  // 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No
    std::string label;    // "OK", "Yes", ...
  };
  struct Dialog {
    std::uint64_t id = 0;  // new for every box
    std::string text;
    std::string title;
    std::int32_t style = 0;
    std::vector<Button> buttons;  // as the style's low bits give them
    std::int32_t default_button = 0;
  };
  // Keeps the DTM's thread going until `done` holds.
  using Wait = std::function<void(const std::function<bool()>& done)>;

  // `log` gets every box with its answer, and each error and report, as the
  // console shows them; `changed` runs whenever a dialog opens or closes.
  LiveMessages(std::ostream& log, Wait wait, std::function<void()> changed = {});

  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title) override;
  void ShowError(const std::string& text) override;  // a box with OK
  void Report(const std::string& text) override;

  // The box waiting for its answer; boxes asked inside a wait stack, the
  // newest shown.
  const Dialog* Open() const;
  // The user's answer to the open box `dialog`: false when that box is not
  // the open one or has no such button (the answer is then dropped).
  bool Answer(std::uint64_t dialog, std::int32_t button);
  // From now on every box is answered at once, and an open one is closed:
  // Cancel where it has one, else its default button (the frame is going).
  void CloseAll();

  // Every report and error text, in order (the notices' list shows them).
  const std::vector<std::string>& Reports() const;

  // The buttons of a style's button set (style & 0xF), as a box shows them.
  static std::vector<Button> ButtonsOf(std::int32_t style);

 private:
  std::int32_t Ask(const std::string& text, std::int32_t style, const std::string& title);
  void Changed();

  std::ostream& log_;
  Wait wait_;
  std::function<void()> changed_;
  // The boxes waiting, oldest first, each with its answer once it has one.
  struct Waiting {
    Dialog dialog;
    std::int32_t answer = 0;
  };
  std::vector<Waiting> open_;
  std::uint64_t last_id_ = 0;
  bool closing_ = false;
  std::vector<std::string> reports_;
};

}  // namespace dtm::live
