#include "component/datamodel/data_model.h"

#include "component/common/identity.h"
#include "component/common/lang_supp.h"
#include "component/common/registry_settings.h"
#include "component/datamodel/data_element.h"
#include "component/datamodel/data_model_helpers.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"

namespace dtm {

clsDataModel::clsDataModel(const runtime::Services& services)
    : clock_(services.loop.GetClock()) {
  // A missing or unreadable setting leaves the default window.
  std::int16_t seconds = 0;
  try {
    const std::string text = Registry::GetRegString(services.registry, Registry::kRegistryPath, "",
                                                    "BusyWait", "10", win::kHkeyLocalMachine);
    seconds = com::Variant(text).ToInteger();
  } catch (const com::ComError&) {
    seconds = 0;
  }
  if (seconds == 0 || seconds >= 60) seconds = 10;
  // A negative number makes no valid time: no silent retries at all.
  m_BusyWait = std::chrono::seconds(seconds < 0 ? 0 : seconds);
}

std::string clsDataModel::IPrivateDataModel_DTMName() { return kApplicationTitle; }
std::string clsDataModel::IPrivateDataModel_DTMVendor() { return kCompanyName; }
std::string clsDataModel::IPrivateDataModel_DTMVersion() {
  return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}
com::DateValue clsDataModel::IPrivateDataModel_DTMDate() {
  try {
    return com::Variant(kVersionComments).ToDate();
  } catch (const com::ComError&) {
    return com::DateValue{};
  }
}
std::string clsDataModel::IPrivateDataModel_DTMDescriptor() { return kFileDescription; }

void clsDataModel::IPrivateDataModel_CreateModel(runtime::DTMContext& context) {
  runtime::DTMDictionary& dictionary = context.Dictionary();
  if (!dictionary.Root()) dictionary.Load(context, "DTMDictionary");
  m_HartUnits = std::make_shared<runtime::HartUnits>();
  DataModelHelpers::CreateDictionary(context.Parameters(), clock_);
  context.Parameters().SetDataSetState(0);
  context.CommMan().SetSettingA(1);
  context.CommMan().SetSettingB(2);
}

void clsDataModel::IPrivateDataModel_SetLanguage(runtime::DTMContext& context,
                                                 std::int32_t language_id) {
  const std::int32_t language = LangSupp::MakeLcid(LangSupp::PrimaryLangId(language_id), 0, 0);
  if (m_LanguageId != 0 && m_LanguageId == language) return;
  try {
    runtime::DTMDictionary& dictionary = context.Dictionary();
    if (!dictionary.SelectLanguage(language, false)) {
      if (dictionary.Load(context, "DTMDictionary")) dictionary.SelectLanguage(language, false);
    }
    LoadUnitTexts(context);
    DataModelHelpers::ApplyLanguageTexts(context);
    m_LanguageId = language;
  } catch (const com::ComError&) {
    context.ShowError("Error setting LanguageId " + std::to_string(language));
  }
}

void clsDataModel::LoadUnitTexts(runtime::DTMContext& context) {
  const runtime::LanguageTable* language = context.Dictionary().Selected();
  const runtime::LanguageTable::Section* units =
      language ? language->FindSection("units") : nullptr;
  // Before CreateModel there is no table to fill: the switch fails and the
  // language stays unrecorded, so the next call (after the model exists)
  // loads the unit texts instead of finding the language already set.
  if (!m_HartUnits) com::ThrowObjectVariableNotSet("clsDataModel");
  if (!units) return;
  for (std::int32_t code = 1; code <= 255; ++code) {
    if (!m_HartUnits->Has(code)) continue;
    const std::string key = m_HartUnits->KeyOf(code);
    if (key.empty()) continue;
    const runtime::LanguageTable::Entry* entry = units->Find(key);
    if (!entry) continue;
    const std::string* text = entry->Attribute("text");
    if (!text) {
      throw com::ComError(com::kEFail, "Unit text missing for " + key, "clsDataModel");
    }
    m_HartUnits->SetText(code, *text);
  }
}

std::int32_t clsDataModel::DataSetStateByWalk(const runtime::Parameters& parameters) {
  for (const DataElementPtr& element : parameters.Elements()) {
    if (clsDataElement::MakesDataSetInconsistent(element->IPrivateDataElement_StatusFlags())) {
      return 2;
    }
  }
  return 1;
}

void clsDataModel::EvaluateDataSetState(runtime::Parameters& parameters) {
  if (m_TallyCollection != &parameters || m_TallyRevision != parameters.Revision()) {
    m_TallyCollection = &parameters;
    m_TallyRevision = parameters.Revision();
    std::vector<std::shared_ptr<clsDataElement>> elements;
    elements.reserve(parameters.Count());
    for (const DataElementPtr& element : parameters.Elements()) {
      auto own = std::dynamic_pointer_cast<clsDataElement>(element);
      if (!own) break;
      elements.push_back(std::move(own));
    }
    m_Tally.reset();
    if (elements.size() == parameters.Count()) {
      m_Tally = std::make_shared<DataSetTally>();
      for (const auto& element : elements) element->JoinTally(m_Tally);
    }
  }
  if (!m_Tally) {
    parameters.SetDataSetState(DataSetStateByWalk(parameters));
    return;
  }
  parameters.SetDataSetState(m_Tally->inconsistent > 0 ? 2 : 1);
}

void clsDataModel::MarkDataChanged(runtime::DTMContext& context) {
  runtime::Parameters& parameters = context.Parameters();
  if (parameters.Changed() == 0) return;
  const DataElementPtr status = parameters.Item("DataStatus");
  const com::Variant value = status->IPrivateDataElement_TransientValue();
  if (value.IsNumeric() && !value.IsEmpty() && value.ToDouble() == 2) return;
  status->IPrivateDataElement_TransientValue(com::Variant(std::int16_t{2}));
  context.GUIMan().NotifyParameterChanged(status, "");
}

void clsDataModel::IPrivateDataModel_DataChanged(const DataElementPtr& element,
                                                 runtime::DTMContext& context) {
  // The nesting level counts the change notices under way, so that only the
  // outermost one evaluates the data set; the rules that change further
  // elements run inside it.
  ++m_NestLevel;
  try {
    DataModelHelpers::OnElementChanged(element, context.Parameters(), context, m_NestLevel);
  } catch (...) {
    // The level is restored first; the error goes on as it was raised.
    --m_NestLevel;
    throw;
  }
  --m_NestLevel;
  if (m_NestLevel == 0) EvaluateDataSetState(context.Parameters());
  if (element->IPrivateDataElement_Name() != "DataStatus") MarkDataChanged(context);
}

void clsDataModel::IPrivateDataModel_DataSetChanged(runtime::DTMContext& context) {
  runtime::Parameters& parameters = context.Parameters();
  // Every element counts as changed from outside the rules (depth 1);
  // device commands hold no configuration and get no run. The notices these
  // runs give reach DataChanged, whose counter starts from 0 here.
  const std::vector<DataElementPtr> elements = parameters.Elements();
  for (const DataElementPtr& element : elements) {
    if ((element->IPrivateDataElement_ElementMode() & mode::kDeviceCommand) != 0) continue;
    std::int32_t depth = 1;
    DataModelHelpers::OnElementChanged(element, parameters, context, depth);
  }
  EvaluateDataSetState(parameters);
  MarkDataChanged(context);
}

}  // namespace dtm
