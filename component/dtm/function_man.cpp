#include "component/dtm/function_man.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "component/common/identity.h"
#include "component/common/registry_settings.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/documents.h"

namespace dtm {
namespace {

constexpr std::array<const char*, 14> kPages = {
    "ctlIdent",    "ctlOfflineParams", "ctlStartUp",    "ctlMeasure", "ctlTrend",
    "ctlStatus",   "ctlOnlineParams",  "ctlCalib",      "ctlReset",   "ctlSimulation",
    "ctlMonitor",  "ctlOffline",       "ctlPrint",      "ctlSearch"};

// Function states in the runtime's function list.
constexpr std::int32_t kStateOff = 0;
constexpr std::int32_t kStateOn = 4;
constexpr std::int32_t kStateHidden = 8;

// The user level that sees the monitor without the registry's "Debug".
constexpr std::int32_t kPlanningEngineer = 3;

// The function that never documents any element.
constexpr std::int32_t kNoDocumentationFunction = 501;

// The documentation selection of a function without a numeric argument.
std::int32_t MaskOfFunction(std::int32_t function_id) {
  switch (function_id) {
    case 1: case 2: case 3: case 12: return 0x2000000;
    case 4: case 5: return 0x800000;
    case 6: case 8: case 9: return 0x100000;
    case 7: return 0x8000000;
    case 10: return 0x200000;
    default: return 0;
  }
}

// The selection an argument asks for: a whole number n from 0 to 11 is
// the bit 0x10000 << n; any other number none. nullopt when the argument
// is missing or no number, so the function number decides.
std::optional<std::int32_t> MaskOfArgument(const std::optional<com::Variant>& argument) {
  if (!argument || !argument->IsNumeric()) return std::nullopt;
  const double whole = com::RoundHalfEven(argument->ToDouble());
  if (whole < 0 || whole > 11) return 0;
  return 0x10000 << static_cast<int>(whole);
}

// "DTMDoc" and the function number with at least three digits ("DTMDoc013").
std::string DocumentationKind(std::int32_t function_id) {
  const long long magnitude = std::llabs(static_cast<long long>(function_id));
  char digits[24];
  std::snprintf(digits, sizeof digits, "%s%03lld", function_id < 0 ? "-" : "", magnitude);
  return std::string("DTMDoc") + digits;
}

// The registry's "Debug" as a whole number; 0 when it is missing or is no number.
std::int32_t DebugSetting(runtime::DTMContext& context) {
  try {
    const std::string text =
        Registry::GetRegString(context.GetServices().registry, Registry::kRegistryPath, "",
                               "Debug", "0", win::kHkeyLocalMachine);
    return com::Variant(text).ToLong();
  } catch (const com::ComError&) {
    return 0;
  }
}

// The phase as an object the navigation may keep beyond this call.
com::ObjectPtr KeepablePhase(runtime::OperationPhase& phase) {
  if (com::ObjectPtr shared = phase.weak_from_this().lock()) return shared;
  auto copy = std::make_shared<runtime::OperationPhase>();
  copy->SetPhase(phase.Phase());
  return copy;
}

}  // namespace

std::string clsFunctionMan::PageClassOf(std::int32_t function_id) {
  if (function_id < 1 || function_id > static_cast<std::int32_t>(kPages.size())) return {};
  return kPages[static_cast<std::size_t>(function_id - 1)];
}

std::string clsFunctionMan::ProgIdOf(std::int32_t function_id) {
  const std::string page = PageClassOf(function_id);
  return page.empty() ? std::string() : std::string(kLibraryName) + "." + page;
}

bool clsFunctionMan::IPrivateFunctions_OnGUIRequest(runtime::DTMContext& context,
                                                    const std::string&, GUIRequestCode code,
                                                    const com::Variant& argument) {
  switch (code) {
    case drcPrintRequest: {
      runtime::FunctionCall call;
      call.SetFunctionID(argument.ToLong());
      const std::string document = call.BuildXML(context);
      // Before IDtm_Environment there is no frame to ask.
      const auto& container = context.Container();
      if (!container) return false;
      container->OpenFunctionRequest(context.SystemTag(), document);
      return true;
    }
    case drcSaveRequest: {
      const auto storage = context.FrameStorage();
      if (!storage) return false;
      return storage->SaveRequest(context.SystemTag());
    }
    default:
      return false;
  }
}

std::string clsFunctionMan::IPrivateFunctions_GetFunctions(runtime::DTMContext& context,
                                                           runtime::OperationPhase& phase) {
  const com::ObjectPtr& state = context.DTMState();
  if (!state) com::ThrowObjectVariableNotSet("clsFunctionMan");
  const com::ObjectPtr navigation = state->GetProperty("Navigation").ToObject();
  if (!navigation) com::ThrowObjectVariableNotSet("clsFunctionMan");
  navigation->SetProperty("LastOperationPhase", com::Variant(KeepablePhase(phase)));

  // From here on a failing step is passed over: the frame still gets a
  // list, or "" when none could be built.
  const std::int32_t debug = DebugSetting(context);
  const std::int32_t user_level = context.User().UserLevel();
  const std::int32_t online = context.CommMan().Communication() ? kStateOn : kStateOff;

  runtime::FunctionList list;
  const std::int32_t monitor =
      user_level == kPlanningEngineer || debug == 1 ? kStateOn : kStateHidden;
  const std::pair<const char*, std::int32_t> functions[] = {
      {"ctlMonitor", monitor},     {"OnlineParameterize", online}, {"ctlSimulation", online},
      {"ctlTrend", online},        {"ctlMeasureDialog", online},   {"ctlStatus", online},
      {"ctlCalib", online},        {"ctlReset", online},           {"ctlSearch", kStateOn}};
  for (const auto& [name, function_state] : functions) {
    try {
      list.AddFunction(name, function_state, 0);
    } catch (const com::ComError&) {
      // passed over, as every failure of the list
    }
  }
  try {
    return list.BuildXML(context, "DTMFunctions");
  } catch (const com::ComError&) {
    return {};
  }
}

bool clsFunctionMan::IPrivateFunctions_InvokeFunctionRequest(runtime::DTMContext&,
                                                             const std::string& invoke_id,
                                                             runtime::FunctionCall& call) {
  // No function is carried out through this request; the guard keeps a
  // nested request from overwriting the one being looked at.
  if (!m_InvokeID.empty()) return false;
  m_InvokeID = invoke_id;
  (void)call.FunctionID();
  m_InvokeID.clear();
  return false;
}

std::string clsFunctionMan::IPrivateFunctions_GetActiveXProgId(runtime::DTMContext&,
                                                               runtime::FunctionCall& call) {
  return ProgIdOf(call.FunctionID());
}

std::string clsFunctionMan::IPrivateFunctions_GetDocumentation(runtime::DTMContext& context,
                                                               runtime::FunctionCall& call) {
  const std::int32_t function_id = call.FunctionID();
  std::int32_t mask = MaskOfArgument(call.Argument()).value_or(MaskOfFunction(function_id));
  if (function_id == kNoDocumentationFunction) mask = 0;
  runtime::DocumentationBuilder builder;
  return builder.Build(context, DocumentationKind(function_id), mask, "");
}

}  // namespace dtm
