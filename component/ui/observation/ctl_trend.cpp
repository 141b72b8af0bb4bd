#include "component/ui/observation/ctl_trend.h"

#include <chrono>
#include <ctime>

#include "component/common/language_helpers.h"
#include "component/datamodel/data_element.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::int32_t kStyleOkOnly = 0;
constexpr std::int32_t kNotAnswered = 0x10000;
// Any bit of the communication-error and result-class fields: no value.
constexpr std::int32_t kNoValue = 0xFF0000;
constexpr double kYear = 31536000;  // 365 days
constexpr double kWindow = 120;     // the visible time window at set-up

// One curve of the chart and the element it records.
struct Channel {
  const char* path;
  bool percent;        // legend with " [%]", range from the element's range 0
  double min, max;     // the range without the element's, and the scale shown
};

constexpr Channel kChannel[ctlTrend::kChannels] = {
    {"SC136/wDigit", true, -10, 120},
    {"SC136/x", true, -10, 120},
    {"CC048/F24", false, -1.5, 7.5},
    {"CC048/F15", false, 0, 9},
};

// The fields of the frame: index and element path.
struct FieldDesign {
  std::int16_t index;
  const char* tag;
};
constexpr FieldDesign kFields[ctlTrend::kChannels] = {
    {1, "SC136/wDigit"}, {2, "SC136/x"}, {4, "CC048/F15"}, {5, "CC048/F24"}};

// The dummy boxes over the chart's right-hand scale: Left, Top, Width, Height.
struct Box {
  std::int32_t left, top, width, height;
};
constexpr Box kDummy[4] = {
    {6550, 2415, 405, 2065}, {6550, 5055, 405, 525}, {6570, 4695, 405, 130}, {7180, 2415, 405, 2520}};
// Where boxes 0 to 2 go when only the zero-point curve's scale is shown.
constexpr std::int32_t kDummyShiftedLeft[3] = {7180, 7180, 7200};

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

}  // namespace

ctlTrend::ctlTrend(const runtime::Services& services)
    : PageBase(Design{"ctlTrend", "HeadlineTitle_Trend", false}, &services), loop_(services.loop) {
  trend_ = Add(std::make_shared<controls::Trend>("Trend1"));
  chk_cycle_ = Add(std::make_shared<forms::CheckBox>("chkCycle"));
  chk_cycle_->SetCaption("Zyklische Aktualisierung");
  tmr_cycle_ = Add(std::make_shared<forms::Timer>("tmrCycle", loop_));
  tmr_cycle_->SetEnabled(false);
  tmr_cycle_->SetInterval(kCycleInterval);
  frame_ = Add(std::make_shared<forms::Frame>("frmTrendValues"));
  frame_->SetCaption("Trendwerte");
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i] = Add(std::make_shared<controls::ctlParameter>("ctlParameter", kFields[i].index), frame_.get());
    fields_[i]->SetParameterTag(kFields[i].tag);
    fields_[i]->SetValueFormat("0.0");
  }
  for (std::size_t i = 0; i < dummies_.size(); ++i) {
    dummies_[i] = Add(std::make_shared<forms::PictureBox>("picDummy", static_cast<std::int16_t>(i)));
    dummy_left_[i] = kDummy[i].left;
  }
  const char* legends[kChannels] = {"Führungsgrösse w [%]", "Regelgrösse x [%]", "Nullpunktfehler",
                                    "Regelkreis gestört"};
  for (std::int32_t c = 0; c < kChannels; ++c) trend_->SetCurveName(c, legends[c]);
  trend_->ClearCalls();

  chk_cycle_->On("Click", [this](forms::Args&) { CycleClicked(); });
  tmr_cycle_->On("Timer", [this](forms::Args&) {
    tmr_cycle_->SetEnabled(false);
    CycleRefresh();
  });
  trend_->SetChangeHandler([this] { TrendChanged(); });
  EchoOn(chk_cycle_, "LostFocus");
  for (const auto& field : fields_) EchoOn(field, "LostFocus");
  EchoOn(frame_, "Click");
}

controls::ctlParameter* ctlTrend::Field(std::int16_t index) const {
  for (const auto& field : fields_) {
    if (field->Index() == index) return field.get();
  }
  return nullptr;
}

double ctlTrend::Now() const {
  const std::time_t now = std::chrono::system_clock::to_time_t(loop_.GetClock().WallNow());
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) {
    throw com::ComError(com::vb::kInvalidProcedureCall, "The local time is not available", Name());
  }
  return controls::Trend::DateToTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour, local.tm_min, local.tm_sec, 0);
}

// ---- The steps --------------------------------------------------------------------------------

void ctlTrend::Showing() { trend_->Refresh(); }

void ctlTrend::InitParamSite() {
  runtime::DTMContext& context = *GetDtmContext();
  process_ = std::make_shared<runtime::ParamProcess>();
  process_->Init(context);
  const double now = Now();
  trend_->SetXRangeMin(0, now - kYear);
  trend_->SetXRangeMax(0, now + kYear);
  trend_->SetXAutoRange(0, true);
  trend_->SetXAutoRange(0, false);
  trend_->SetXViewMin(0, now);
  trend_->SetXViewMax(0, now + kWindow);
  trend_->SetLegend(true);
  for (std::int32_t c = 0; c < kChannels; ++c) {
    double min = kChannel[c].min;
    double max = kChannel[c].max;
    if (kChannel[c].percent) {
      auto* element = dynamic_cast<clsDataElement*>(context.Parameters().Item(kChannel[c].path).get());
      com::Variant low, high;
      if (element && element->GetRange(0, low, high)) {
        min = low.ToDouble();
        max = high.ToDouble();
      }
    }
    trend_->SetCurveRangeMin(c, min);
    trend_->SetCurveRangeMax(c, max);
    trend_->SetCurveViewMin(c, kChannel[c].min);
    trend_->SetCurveViewMax(c, kChannel[c].max);
  }
  PageBase::InitParamSite();
  GetParamHelpCtl()->ZOrder(0);
  for (std::int32_t c = 0; c < kChannels; ++c) trend_->SetCurveScale(c, true);
  trend_->SetXGrid(0, true);
}

void ctlTrend::RenewLegend(std::size_t curve) {
  runtime::DTMContext& context = *GetDtmContext();
  auto* element = dynamic_cast<clsDataElement*>(context.Parameters().Item(kChannel[curve].path).get());
  std::string legend = element ? element->Prompt : std::string();
  if (kChannel[curve].percent) legend += " [%]";
  trend_->SetCurveName(static_cast<std::int32_t>(curve), legend);
}

void ctlTrend::ApplyLanguage(std::int32_t language_id) {
  runtime::DTMContext& context = *GetDtmContext();
  // The site, the headline's language, title and address.
  PageBase::ApplyLanguage(language_id);
  runtime::DTMDictionary& dictionary = context.Dictionary();
  for (std::size_t c = 0; c < kChannels; ++c) RenewLegend(c);
  trend_->SetXAxisTitle(0, TextOf(dictionary.GetValue("keys", "ctlTrend_scaleX", "text")));
  chk_cycle_->SetCaption(TextOf(dictionary.GetValue("keys", "chkCycle", "text")));
  frame_->SetCaption(TextOf(dictionary.GetValue("keys", "ctlTrend_frmTrendValues", "text")));
}

bool ctlTrend::ReleaseParamSite() {
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  ParamSite().Release();
  if (process_) process_->Release();
  return true;
}

void ctlTrend::OnParameterChanged(const DataElementPtr& element) {
  if (element) {
    const std::string name = element->IPrivateDataElement_Name();
    for (std::size_t c = 0; c < kChannels; ++c) {
      if (name == kChannel[c].path) RenewLegend(c);
    }
  }
  PageBase::OnParameterChanged(element);
}

void ctlTrend::OnParameterSetChanged() {
  ParamSite().ParameterSetChanged();
  for (std::size_t c = 0; c < kChannels; ++c) RenewLegend(c);
  RenewHeadlineTitle();
}

// The check box stays usable whatever the lock and the user level.
void ctlTrend::SetLockState(bool enabled) { ParamSite().EnableInput(enabled); }

std::vector<std::shared_ptr<controls::ctlParameter>> ctlTrend::MarkedFields() const {
  return {fields_.begin(), fields_.end()};
}

// ---- The recording ------------------------------------------------------------------------------

void ctlTrend::CycleClicked() {
  if (chk_cycle_->Value().ToInteger() != 1) {
    tmr_cycle_->SetEnabled(false);
    if (process_ && process_->IsBusy()) process_->Abort();
    trend_->SetFollowMode(false);
    return;
  }
  if (!process_ || process_->IsBusy()) return;
  std::int32_t error = 0;
  process_->Reset(error);
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  if (process_->IsEmpty()) {
    process_->AddElement(context->Parameters().Item("SC136/"), false, error);
    process_->AddElement(context->Parameters().Item("CC048/"), false, error);
    // A new recording does not join the samples drawn before it.
    trend_->SetSampleTime(0, Now());
    for (std::int32_t c = 0; c < kChannels; ++c) trend_->SampleGap(c, true);
  }
  process_->Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, false, error);
  if (error == 0) {
    tmr_cycle_->SetEnabled(true);
    trend_->SetFollowMode(true);
    return;
  }
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  context->MessageBox(LanguageHelpers::GetLangText(*context, "error_at_connect"), kStyleOkOnly);
  MarkParamsCommError();
  trend_->SetFollowMode(false);
}

void ctlTrend::CycleRefresh() {
  runtime::DTMContext* context = GetDtmContext();
  if (!context || tmr_cycle_->Enabled() || cycle_busy_ || !process_ || !process_->IsBusy()) return;
  cycle_busy_ = true;
  std::int32_t error = 0;
  // A pass needs the channel: the runtime would open a lost connection
  // again on its own, and the cycle is to stop when the channel is gone.
  if (context->CommMan().Online()) {
    process_->Start(std::dynamic_pointer_cast<IPrivateProcess>(shared_from_this()), 0, false, error);
  } else {
    error = runtime::ParamProcess::kNoCommunication;
  }
  if (error == 0) {
    tmr_cycle_->SetEnabled(true);
    return;
  }
  cycle_busy_ = false;
  if (context->CommMan().Online()) {
    // The channel is still there: the next tick tries again.
    tmr_cycle_->SetEnabled(true);
    return;
  }
  chk_cycle_->SetValue(com::Variant(std::int16_t{0}));
  context->MessageBox(LanguageHelpers::GetLangText(*context, "cycle_refresh_impossible"), kStyleOkOnly);
  MarkParamsCommError();
}

void ctlTrend::IPrivateProcess_OnProcessFinished(const std::string&, const std::optional<com::Variant>&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return;
  // The end of a read arrives from the event loop: its failure is the
  // page's to report, and the recording goes on.
  try {
    runtime::Parameters& parameters = context->Parameters();
    // Each field follows the read of its own group, so a refused status
    // read leaves its channels marked, and they get gaps below.
    MarkFieldsByResults(*context, context->CommMan().GetResults(process_->ProcessID()), kNotAnswered);
    trend_->SetSampleTime(0, Now());
    for (std::int32_t c = 0; c < kChannels; ++c) {
      const DataElementPtr element = parameters.Item(kChannel[c].path);
      if ((element->IPrivateDataElement_StatusFlags() & kNoValue) != 0 || !context->CommMan().IsConnected()) {
        trend_->SampleGap(c, true);
      } else {
        trend_->SampleValue(c, element->IPrivateDataElement_TransientValue().ToDouble());
      }
    }
  } catch (const com::ComError& error) {
    context->ShowError(error.Description());
  }
  cycle_busy_ = false;
  CycleRefresh();
}

void ctlTrend::TrendChanged() {
  runtime::DTMContext* context = GetDtmContext();
  try {
    const controls::Trend::State& state = trend_->GetState();
    const bool zero_point = state.curves[2].visible;
    const bool loop_fault = state.curves[3].visible;
    for (std::size_t i = 0; i < 3; ++i) dummies_[i]->SetVisible(zero_point);
    dummies_[3]->SetVisible(loop_fault);
    for (std::size_t i = 0; i < 3; ++i) {
      dummy_left_[i] = zero_point && !loop_fault ? kDummyShiftedLeft[i] : kDummy[i].left;
    }
    chk_cycle_->SetValue(com::Variant(std::int16_t{state.follow_mode ? std::int16_t{1} : std::int16_t{0}}));
    trend_->SetCurveViewMin(2, kChannel[2].min);
    trend_->SetCurveViewMax(2, kChannel[2].max);
    trend_->SetCurveViewMin(3, kChannel[3].min);
    trend_->SetCurveViewMax(3, kChannel[3].max);
  } catch (const com::ComError& error) {
    if (context) context->ShowError(error.Description());
  }
}

// ---- Navigation --------------------------------------------------------------------------------

std::shared_ptr<controls::Collection> ctlTrend::IPrivateNavigation_GetDictKeys(
    controls::Navigation& navigation, const std::string& key) {
  auto keys = PageBase::IPrivateNavigation_GetDictKeys(navigation, key);
  auto entry = std::make_shared<controls::DictKeyList>("Trend", Prefix() + "scaleX",
                                                        Name() + "." + trend_->Name());
  keys->Add(com::Variant(com::ObjectPtr(entry)), entry->ControlPath());
  return keys;
}

bool ctlTrend::IPrivateNavigation_ShowControl(const std::string& path, bool show, const std::string&) {
  runtime::DTMContext* context = GetDtmContext();
  if (!context) return false;
  const auto navigation = GetNavigation();
  if (!navigation || !navigation->IsPathValid(context, Name(), path)) return false;
  // The chart is highlighted in place of being navigated to.
  if (path == trend_->Name() || path == Name() + "." + trend_->Name()) {
    trend_->SetBackColor(show ? kSelectedBack : kPlainBack);
    return false;
  }
  return navigation->ShowControl(context, path, &Controls(), nullptr, show);
}

}  // namespace dtm
