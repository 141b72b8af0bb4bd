#include "host/live/live_messages.h"

#include <algorithm>
#include <utility>

namespace dtm::live {
namespace {

constexpr std::int32_t kCancel = 2;
// The style of the box an error shows: OK with the stop sign.
constexpr std::int32_t kErrorStyle = 16;

bool Has(const LiveMessages::Dialog& dialog, std::int32_t button) {
  return std::any_of(dialog.buttons.begin(), dialog.buttons.end(),
                     [&](const LiveMessages::Button& b) { return b.id == button; });
}

// How a box is closed when the frame goes: Cancel where it has one.
std::int32_t ClosingAnswer(const LiveMessages::Dialog& dialog) {
  return Has(dialog, kCancel) ? kCancel : dialog.default_button;
}

}  // namespace

LiveMessages::LiveMessages(std::ostream& log, Wait wait, std::function<void()> changed)
    : log_(log), wait_(std::move(wait)), changed_(std::move(changed)) {}

std::vector<LiveMessages::Button> LiveMessages::ButtonsOf(std::int32_t style) {
  static const std::vector<std::vector<std::int32_t>> kSets = {
      {1}, {1, 2}, {3, 4, 5}, {6, 7, 2}, {6, 7}, {4, 2}};
  const auto set = static_cast<std::size_t>(style & 0xF);
  std::vector<Button> buttons;
  // An unknown set shows OK, as its default button says.
  for (const std::int32_t id : set < kSets.size() ? kSets[set] : kSets[0]) {
    buttons.push_back({id, runtime::ButtonName(id)});
  }
  return buttons;
}

void LiveMessages::Changed() {
  if (changed_) changed_();
}

std::int32_t LiveMessages::Ask(const std::string& text, std::int32_t style,
                               const std::string& title) {
  Dialog dialog;
  dialog.id = ++last_id_;
  dialog.text = text;
  dialog.title = title;
  dialog.style = style;
  dialog.buttons = ButtonsOf(style);
  dialog.default_button = runtime::DefaultButton(style);
  if (!Has(dialog, dialog.default_button)) dialog.default_button = dialog.buttons.front().id;
  if (closing_ || !wait_) return ClosingAnswer(dialog);

  const std::uint64_t id = dialog.id;
  open_.push_back({std::move(dialog), 0});
  Changed();
  auto mine = [this, id]() -> Waiting& {
    return *std::find_if(open_.begin(), open_.end(),
                         [&](const Waiting& w) { return w.dialog.id == id; });
  };
  wait_([&] { return closing_ || mine().answer != 0; });
  // Boxes asked inside the wait have ended before it did: this one is the newest.
  Waiting& ended = mine();
  const std::int32_t answer = ended.answer != 0 ? ended.answer : ClosingAnswer(ended.dialog);
  open_.erase(open_.begin() + (&ended - open_.data()));
  Changed();
  return answer;
}

std::int32_t LiveMessages::MessageBox(const std::string& text, std::int32_t style,
                                      const std::string& title) {
  const std::int32_t answer = Ask(text, style, title);
  log_ << "[box" << (title.empty() ? "" : ": ") << title << "] " << text << " -> "
       << runtime::ButtonName(answer) << '\n';
  log_.flush();
  return answer;
}

void LiveMessages::ShowError(const std::string& text) {
  log_ << "[error] " << text << '\n';
  log_.flush();
  reports_.push_back(text);
  Ask(text, kErrorStyle, "");
}

void LiveMessages::Report(const std::string& text) {
  log_ << "[report] " << text << '\n';
  log_.flush();
  reports_.push_back(text);
  Changed();
}

const LiveMessages::Dialog* LiveMessages::Open() const {
  // An answered box is on its way out; the one below it waits for that.
  if (open_.empty() || open_.back().answer != 0) return nullptr;
  return &open_.back().dialog;
}

bool LiveMessages::Answer(std::uint64_t dialog, std::int32_t button) {
  if (open_.empty()) return false;
  Waiting& newest = open_.back();
  if (newest.answer != 0 || newest.dialog.id != dialog || !Has(newest.dialog, button)) return false;
  newest.answer = button;
  return true;
}

void LiveMessages::CloseAll() {
  closing_ = true;
  Changed();
}

const std::vector<std::string>& LiveMessages::Reports() const { return reports_; }

}  // namespace dtm::live
