#pragma once
// The communication monitor: the protocol of the frame's calls, the
// component's own actions and the HART transactions, written by the DTM,
// the data model and the pages while the monitor page is open.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/datamodel/monitor_sink.h"
#include "component/ui/framework/page_base.h"
#include "platform/forms/controls.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

// The page of the protocol: it shows the lines, clears them and saves them
// to a file, and records its language in the protocol.
class ctlMonitor : public PageBase, public MonitorSink {
 public:
  // Each new line beyond this many lets the first one go.
  static constexpr std::size_t kMaxLines = 2000;
  // Dumps add lines without letting any go; beyond this many lines the
  // protocol is cut back to kMaxLines, so a long session stays bounded.
  static constexpr std::size_t kSafetyLines = 30000;
  // Headings are ruled to this width.
  static constexpr std::size_t kHeadingWidth = 61;

  // The page as designed (twips): its inner size and the places of the
  // headline, the list and the buttons. A larger page gives the extra
  // height to the list (the buttons stay below it) and the extra width to
  // the list and the headline; nothing gets smaller than this.
  struct Box {
    std::int32_t left, top, width, height;
  };
  static constexpr std::int32_t kDesignWidth = 9600;
  static constexpr std::int32_t kDesignHeight = 6600;
  static constexpr Box kDesignHeadline{0, 0, 9600, 700};
  static constexpr Box kDesignList{120, 780, 9360, 5040};
  static constexpr Box kDesignClear{120, 5940, 1500, 420};
  static constexpr Box kDesignSave{1740, 5940, 1500, 420};

  // The monitor page open for the DTM of `context`, or nullptr: the page
  // registered under the DTM's "MonitorInvokeID". Writers look it up for
  // every operation and write nothing without it.
  static std::shared_ptr<ctlMonitor> Find(runtime::DTMContext& context);

  // ---- _ctlMonitor ----
  // The current-language text of an English phrase ("Upload all
  // parameters"; any letter case); "" for a phrase the table lacks.
  std::string GetText(const std::string& phrase) const override;
  void MonitorSection(const std::string& heading, const std::string& instance_id, bool ifdt,
                      const std::optional<std::string>& fill = std::nullopt);
  void MonitorHeading(const std::string& heading,
                      const std::optional<std::string>& fill = std::nullopt) override;
  // `previous_line` and `follow_line` count by presence: an empty line
  // before and after.
  void MonitorLine(const std::string& text, const std::optional<com::Variant>& previous_line = {},
                   const std::optional<com::Variant>& follow_line = {}) override;
  // Extends the last line by a blank and `text`; raises on an empty protocol.
  void MonitorAdd(const std::string& text) override;
  void MonitorHexDump(const std::string& caption, const com::ByteArray& bytes) override;

  // Refills the phrase table from the dictionary section "keys".
  void FillPhraseTable(runtime::DTMContext& context);

  const std::deque<std::string>& Lines() const { return lines_; }
  // Whether a save of the protocol failed since the page was made (the
  // user was told); a host reports it in its exit status.
  bool SaveFailed() const { return save_failed_; }
  std::size_t TopIndex() const { return top_index_; }
  void Clear();

  // The title line: the component's title and version.
  void InitList();

  // ---- The page ----
  // The services give the page its surroundings (the installation folder
  // of the default protocol file); without them the page takes those of
  // the DTM it is initialised with.
  explicit ctlMonitor(const runtime::Services* services = nullptr);

  // The language block follows every language change.
  void IPrivateGUI_SetLanguage(std::int32_t language_id) override;

  forms::Control& lstComm() const { return *lst_comm_; }
  forms::Control& cmdClear() const { return *cmd_clear_; }
  forms::Control& cmdSave() const { return *cmd_save_; }
  forms::CommonDialog& comdlgSave() const { return *comdlg_save_; }

  // The file the protocol is saved to without the dialog: the library's
  // name with ".LOG" in the installation folder.
  std::filesystem::path DefaultLogFile() const;

 protected:
  // Appends one line, scrolls to it and lets the first line go beyond
  // kMaxLines.
  void AddListLine(const std::string& text);

  void Registered() override;
  void Unregistered(const std::string& invoke_id) override;
  bool WritesItsLifeToTheProtocol() const override { return false; }
  bool SetsButtonToolTips() const override { return false; }
  void FirstAction() override;
  void InitParamSite() override;
  void ApplyLanguage(std::int32_t language_id) override;
  bool ReleaseParamSite() override;
  void SetLockState(bool enabled) override;
  void LocaleChanged(std::int32_t primary_language) override;

 private:
  void KeepBounded();
  void Relayout();
  void WriteLanguageInfo(std::int32_t language_id);
  void Save();

  std::shared_ptr<forms::Control> lst_comm_;
  std::shared_ptr<forms::Control> cmd_clear_;
  std::shared_ptr<forms::Control> cmd_save_;
  std::shared_ptr<forms::CommonDialog> comdlg_save_;

  bool save_failed_ = false;
  std::deque<std::string> lines_;
  std::size_t top_index_ = 0;
  // Keyed by the phrase in lower case; the table compares without case.
  std::map<std::string, std::string> texts_;
};

}  // namespace dtm
