#include "component/dtm/function_man.h"

#include <array>

#include "component/dtm/identity.h"
#include "platform/runtime/context.h"

namespace dtm {
namespace {

constexpr std::array<const char*, 14> kPages = {
    "ctlIdent",    "ctlOfflineParams", "ctlStartUp",    "ctlMeasure", "ctlTrend",
    "ctlStatus",   "ctlOnlineParams",  "ctlCalib",      "ctlReset",   "ctlSimulation",
    "ctlMonitor",  "ctlOffline",       "ctlPrint",      "ctlSearch"};

}  // namespace

std::string clsFunctionMan::PageClassOf(std::int32_t function_id) {
  if (function_id < 1 || function_id > static_cast<std::int32_t>(kPages.size())) return {};
  return kPages[static_cast<std::size_t>(function_id - 1)];
}

std::string clsFunctionMan::ProgIdOf(std::int32_t function_id) {
  const std::string page = PageClassOf(function_id);
  return page.empty() ? std::string() : std::string(kLibraryName) + "." + page;
}

bool clsFunctionMan::IPrivateFunctions_OnGUIRequest(runtime::DTMContext&, const std::string&,
                                                    GUIRequestCode, const com::Variant&) {
  return false;
}

std::string clsFunctionMan::IPrivateFunctions_GetFunctions(runtime::DTMContext&,
                                                           runtime::OperationPhase&) {
  return {};
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

std::string clsFunctionMan::IPrivateFunctions_GetDocumentation(runtime::DTMContext&,
                                                               runtime::FunctionCall&) {
  return {};
}

}  // namespace dtm
