#pragma once
// What the runtime and the component need of their surroundings, handed in
// by whoever creates them (the host's main, or a test).

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/locale.h"
#include "platform/loop/event_loop.h"
#include "platform/win/registry.h"
#include "platform/win/shell.h"

namespace dtm::runtime {

// Where message boxes and error reports go. A box answers with the Windows
// button code (1 OK, 2 Cancel, 6 Yes, 7 No).
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual std::int32_t MessageBox(const std::string& text, std::int32_t style,
                                  const std::string& title) = 0;
  virtual void ShowError(const std::string& text) = 0;
  virtual void Report(const std::string& text) = 0;
};

// The answers a box gives that callers test for.
constexpr std::int32_t kIdYes = 6;
constexpr std::int32_t kIdNo = 7;

// The button a box's style makes its default: OK for OK-only boxes, the
// first button unless the style names the second (256) or third (512).
std::int32_t DefaultButton(std::int32_t style);

// The button of an answer as a box labels it: "OK", "Cancel", "Abort",
// "Retry", "Ignore", "Yes", "No"; the number for any other id.
std::string ButtonName(std::int32_t answer);

// Records everything and answers boxes from a script, else with the
// box's default button.
class RecordingMessageSink final : public MessageSink {
 public:
  struct Entry {
    enum Kind { kBox, kError, kReport } kind;
    std::string text;
    std::int32_t style = 0;
    std::string title;
  };
  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title) override;
  void ShowError(const std::string& text) override;
  void Report(const std::string& text) override;

  std::deque<std::int32_t> answers;  // taken front first
  std::vector<Entry> entries;
};

class DictionaryCache;
// The cache every instance of the process shares unless its services name
// another one.
std::shared_ptr<DictionaryCache> ProcessDictionaryCache();

struct Services {
  loop::EventLoop& loop;
  MessageSink& messages;
  win::Registry& registry;
  win::Shell& shell;
  win::GuidSource& guids;
  win::TempFiles& temp_files;
  // The library's installation folder (holds XMLData/ and the style sheets).
  std::filesystem::path install_folder;
  // Where the language dictionaries are parsed once and shared; never null.
  std::shared_ptr<DictionaryCache> dictionaries = ProcessDictionaryCache();
  // The user's locale, which the texts the user sees or types follow; never
  // null. Each Services starts with its own setting (English); its copies
  // share it, so setting it reaches every instance made from them.
  std::shared_ptr<com::LocaleSetting> locale = std::make_shared<com::LocaleSetting>();
};

}  // namespace dtm::runtime
