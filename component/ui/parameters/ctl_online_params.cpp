#include "component/ui/parameters/ctl_online_params.h"

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

// A field as the layout places it: its frame, element path, default label
// and display format.
struct FieldDesign {
  const char* frame;
  const char* path;
  const char* label;
  const char* format;
};

constexpr FieldDesign kFields[ctlOnlineParams::kFieldCount] = {
    {"frmIdentOperUnit", "UC013/Tag", "Tag", ""},
    {"frmRange", "SC128Tr2/Par3", "Hubbereich Anfang", "0.0"},
    {"frmRange", "SC128Tr11/Par2", "Untere Grenze", "0.0"},
    {"frmRange", "SC128Tr2/Par4", "Hubbereich Ende", "0.0"},
    {"frmRange", "SC128Tr11/Par1", "Obere Grenze", "0.0"},
    {"frmRange", "SC128Tr1/Par3", "Drehwinkelber. Ende", "0.0"},
    {"frmRange", "SC128Tr1/Par2", "Drehwinkelber.- Anf.", "0.0"},
    {"frmRange", "SC130Tr1/Par3", "Kennlinienauswahl", ""},
    {"frmInput", "SC130Tr5/Par1", "Bewegungsrichtung", ""},
    {"frmInput", "SC128Tr10/Par1", "Skal. w Anfang", "0.0"},
    {"frmInput", "SC128Tr12/Par2", "Endlage bei w kl.", "0.0"},
    {"frmInput", "SC128Tr9/Par4", "Skal. w Ende", "0.0"},
    {"frmInput", "SC128Tr12/Par1", "Endlage bei w gr.", "0.0"},
    {"frmCtrlParam", "SC128Tr3/Par1", "KP_Y1 Zuluft", "0.00"},
    {"frmCtrlParam", "SC128Tr3/Par4", "Tote Zone", "0.00"},
    {"frmCtrlParam", "SC128Tr4/Par1", "Tol. \xC3\x9C" "berschwingweite", "0.00"},
    {"frmCtrlParam", "SC128Tr3/Par2", "KP_Y2 Abluft", "0.00"},
};

struct FrameDesign {
  const char* name;
  const char* caption;
};

constexpr FrameDesign kFrames[] = {
    {"frmIdentOperUnit", "Identifikation Betriebseinheit"},
    {"frmRange", "Arbeitsbereich"},
    {"frmInput", "Eingangsgr\xC3\xB6sse"},
    {"frmCtrlParam", "Regelparameter"},
};

// What a write tests, and what it then sends.
struct WriteTest {
  const char* tested;
  const char* sent;
};

constexpr WriteTest kWriteTests[] = {
    {"SC128Tr3/Par1", "SC128Tr3/Par1"},   {"SC128Tr3/Par2", "SC128Tr3/Par2"},
    {"SC128Tr3/Par4", "SC128Tr3/Par4"},   {"SC128Tr4/Par1", "SC128Tr4/Par1"},
    {"UC013/Tag", "UC013/"},              {"SC130Tr5/Par1", "SC130Tr5/Par1"},
    {"SC128Tr10/Par1", "SC128Tr10/Par1"}, {"SC128Tr9/Par4", "SC128Tr9/Par4"},
    {"SC128Tr12/Par2", "SC128Tr12/Par2"}, {"SC128Tr12/Par1", "SC128Tr12/Par1"},
    {"SC128Tr1/Par2", "SC128Tr1/Par2"},   {"SC128Tr1/Par3", "SC128Tr1/Par3"},
    {"SC128Tr2/Par3", "SC128Tr2/Par3"},   {"SC128Tr2/Par4", "SC128Tr2/Par4"},
    {"SC128Tr11/Par2", "SC128Tr11/Par2"}, {"SC128Tr11/Par1", "SC128Tr11/Par1"},
    {"SC130Tr1/Par3", "SC130Tr1/Par3"},
};

constexpr std::int32_t kStyleInformation = 64;

// The changed flag alone: a value the user changed with nothing wrong with it.
constexpr std::int32_t kChangedOnly = 4;
// Any bit of the communication-error and result-class fields.
constexpr std::int32_t kNoValueBits = 0xFF0000;

// A group write sends every member of the group: each must hold what the
// device said or what the user entered, never a value nobody read. A
// single element holds what the user entered.
bool HoldsWhatItSends(runtime::DTMContext& context, const std::string& path) {
  if (path.empty() || path.back() != '/') return true;
  for (const DataElementPtr& member : context.Parameters().GetGroupMembers(path)) {
    const std::int32_t flags = member->IPrivateDataElement_StatusFlags();
    if (flags == kChangedOnly) continue;
    const auto* element = dynamic_cast<const clsDataElement*>(member.get());
    if (!element || element->DeviceValue.IsEmpty() || (flags & kNoValueBits) != 0) return false;
  }
  return true;
}

}  // namespace

ctlOnlineParams::ctlOnlineParams(const runtime::Services& services)
    : PageBase(Design{"ctlOnlineParams", "HeadlineTitle_Online", true}, &services) {
  std::vector<std::shared_ptr<forms::Frame>> frames;
  for (const FrameDesign& design : kFrames) {
    auto frame = Add(std::make_shared<forms::Frame>(design.name));
    frame->SetCaption(design.caption);
    EchoOn(frame, "Click");
    frames.push_back(frame);
  }
  auto frame_of = [&](const std::string& name) {
    for (const auto& frame : frames) {
      if (frame->Name() == name) return frame.get();
    }
    return frames.front().get();
  };
  for (std::int16_t i = 0; i < kFieldCount; ++i) {
    const FieldDesign& design = kFields[i];
    auto field = Add(std::make_shared<controls::ctlParameter>("ctlParameter", i), frame_of(design.frame));
    field->SetParameterTag(design.path);
    field->SetLabelText(design.label);
    if (*design.format) field->SetValueFormat(design.format);
    EchoOn(field, "LostFocus");
    fields_.push_back(field);
  }
  cmd_read_ = Add(std::make_shared<forms::CommandButton>("cmdReadDynPars"));
  cmd_read_->SetCaption("Lesen");
  cmd_write_ = Add(std::make_shared<forms::CommandButton>("cmdWriteDynPars"));
  cmd_write_->SetCaption("Schreiben");
  for (const auto& button : {cmd_read_, cmd_write_}) EchoOn(button, "LostFocus");
  cmd_read_->On("Click", [this](forms::Args&) { cmdReadDynPars_Click(); });
  cmd_write_->On("Click", [this](forms::Args&) { cmdWriteDynPars_Click(); });
}

const std::vector<std::string>& ctlOnlineParams::ReadList() {
  static const std::vector<std::string> list = {
      "SC130Tr1/", "SC128Tr1/",  "SC128Tr2/",  "SC128Tr3/",  "SC128Tr4/", "SC130Tr5/",
      "SC128Tr9/", "SC128Tr10/", "SC128Tr11/", "SC128Tr12/", "UC013/",
  };
  return list;
}

void ctlOnlineParams::cmdReadDynPars_Click() {
  transfer_ = Transfer::kRead;
  StartTransfer(true);
}

void ctlOnlineParams::cmdWriteDynPars_Click() {
  runtime::ParamProcess* process = Process();
  if (!process || process->IsBusy() || !DTM()) return;
  bool held_back = false;
  pending_writes_ = WriteSelection(&held_back);
  if (held_back) {
    // A change whose command would send values nobody read stays as it is,
    // and the user is told why it was not written.
    if (runtime::DTMContext* context = GetDtmContext()) {
      context->MessageBox(LanguageHelpers::GetLangText(*context, "write_needs_read"), kStyleInformation);
    }
  }
  if (pending_writes_.empty()) {
    // Nothing changed: the click starts nothing and shows nothing.
    std::int32_t error = 0;
    process->Reset(error);
    return;
  }
  transfer_ = Transfer::kWrite;
  StartTransfer(true);
}

std::vector<std::string> ctlOnlineParams::WriteSelection(bool* held_back) const {
  std::vector<std::string> selected;
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return selected;
  for (const WriteTest& test : kWriteTests) {
    const DataElementPtr element = context->Parameters().Item(test.tested);
    if (!element || element->IPrivateDataElement_StatusFlags() != kChangedOnly) continue;
    if (!HoldsWhatItSends(*context, test.sent)) {
      if (held_back) *held_back = true;
      continue;
    }
    selected.push_back(test.sent);
  }
  return selected;
}

void ctlOnlineParams::AddTransferElements(runtime::ParamProcess& process) {
  runtime::Parameters& parameters = GetDtmContext()->Parameters();
  const bool write = transfer_ == Transfer::kWrite;
  for (const std::string& path : write ? pending_writes_ : ReadList()) {
    std::int32_t error = 0;
    process.AddElement(parameters.Item(path), write, error);
  }
  transfer_ = Transfer::kRead;
}

}  // namespace dtm
