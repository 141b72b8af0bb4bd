#include "component/ui/actions/ctl_reset.h"

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "component/ui/framework/result_walk.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kStyleInformation = 64;
constexpr std::int32_t kAnswerOk = 1;
constexpr std::int32_t kColdStartField = 5;
constexpr const char* kStatusGroup = "SC136/";

struct Field {
  const char* tag;
  const char* label;
};
constexpr Field kFields[] = {
    {"SC136/OpStat", "Betriebszustand"},
    {"SC136/TotTravel", "Abs. Wegintegral"},
    {"SC132Inx7", "Rücksetzen Wegintegral"},
    {"SC132Inx10", "Rücksetzen Regelkreisstörung"},
    {"CC038", "Rücksetzen 'Geräte-Einstellung geändert'"},
    {"SC132Inx254", "Kaltstart ausführen"},
};

}  // namespace

ctlReset::ctlReset(const runtime::Services& services)
    : PageBase(Design{"ctlReset", "HeadlineTitle_Ruecksetzen", true}, &services) {
  frame_ = Add(std::make_shared<forms::Frame>("frmReset"));
  frame_->SetCaption("Rücksetzen");
  for (std::int16_t i = 0; i < 6; ++i) {
    fields_[i] = Add(std::make_shared<controls::ctlParameter>("ctlParameter", i), frame_.get());
    fields_[i]->SetParameterTag(kFields[i].tag);
    fields_[i]->SetLabelText(kFields[i].label);
    fields_[i]->SetValueFormat("0.0##");
    EchoOn(fields_[i], "LostFocus");
    fields_[i]->On("StateChanged", [this](forms::Args& args) {
      FieldStateChanged(args.size() > 1 && args[1].ToBoolean());
    });
  }
  EchoOn(frame_, "Click");
}

void ctlReset::InitParamSite() {
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  // Connected after the site has bound the fields: a command field's own
  // question and command come first, so the re-read is queued behind the
  // command and shows what it changed.
  if (!clicks_connected_) {
    clicks_connected_ = true;
    for (const auto& field : fields_) {
      field->On("Click", [this](forms::Args& args) {
        if (!args.empty()) FieldUsed(args[0].ToLong());
      });
    }
  }
}

void ctlReset::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

std::vector<std::shared_ptr<controls::ctlParameter>> ctlReset::MarkedFields() const {
  return {fields_[0], fields_[1]};
}

std::optional<std::int32_t> ctlReset::StartRead(const std::string& path, std::int16_t flag) {
  runtime::ParamProcess& process = *Process();
  if (process.IsBusy()) return std::nullopt;
  std::int32_t error = 0;
  process.Reset(error);
  if (!DTM()) return std::nullopt;
  if (process.IsEmpty()) process.AddElement(GetDtmContext()->Parameters().Item(path), flag != 0, error);
  process.Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, true, error);
  if (error != 0) process.Abort();
  return error;
}

void ctlReset::ReadStatusValues() {
  const std::optional<std::int32_t> error = StartRead(kStatusGroup, 0);
  if (!error) return;
  if (*error != 0) {
    runtime::DTMContext& context = *GetDtmContext();
    context.MessageBox(LanguageHelpers::GetLangText(context, "error_at_connect"), kStyleOkOnly);
    return;
  }
  StartActivity();
}

void ctlReset::ReadElement(const std::string& path, std::int16_t flag) {
  const std::optional<std::int32_t> error = StartRead(path, flag);
  if (error && *error != 0) MarkParamsCommError();
}

void ctlReset::FieldUsed(std::int32_t index) {
  if (!DTM()) return;
  if (index == kColdStartField) {
    // The field's own question came first; a field the user declined (or
    // whose command could not start) is not locked for a running command,
    // and nothing restarts.
    if (!fields_[kColdStartField]->Locked()) return;
    runtime::DTMContext& context = *GetDtmContext();
    if (context.MessageBox(LanguageHelpers::GetLangText(context, "warn_kaltstart"), kStyleInformation) !=
        kAnswerOk) {
      return;
    }
  }
  ReadElement(kStatusGroup, 0);
}

void ctlReset::FieldStateChanged(bool running) {
  if (Process() && Process()->IsEmpty() && running) {
    StartActivity();
  } else {
    StopActivity();
  }
}

void ctlReset::IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                                 const std::optional<com::Variant>&) {
  if (!DTM() || !OwnsProcess(process_id)) return;
  try {
    runtime::DTMContext& context = *GetDtmContext();
    bool failed = false;
    WalkResults(context, context.CommMan().GetResults(Process()->ProcessID()),
                context.CommMan().IsConnected(), kActionCommError, [&](const WalkedResult& result) {
                  // The display shows a failure once any result failed: a
                  // later good one does not make it look read.
                  failed = failed || !IsGoodResult(result);
                  if (failed) {
                    MarkParamsCommError();
                  } else {
                    MarkParamsCommOk();
                  }
                });
  } catch (const com::ComError& error) {
    if (runtime::DTMContext* context = GetDtmContext()) context->ShowError(error.Description());
  }
  Process()->Abort();
  StopActivity();
}

}  // namespace dtm
