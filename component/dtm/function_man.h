#pragma once
// The DTM's functions: which functions the frame may offer and in which
// state, which page belongs to a function number, which documentation a
// function call asks for, and the pages' print and save requests.

#include <string>

#include "component/interfaces/private.h"
#include "platform/com/object.h"

namespace dtm {

class clsFunctionMan : public com::Object, public IPrivateFunctions {
 public:
  // The ProgID of the page of a function number 1..14; "" for any other.
  static std::string ProgIdOf(std::int32_t function_id);
  // The class name of that page ("ctlIdent"); "" for any other number.
  static std::string PageClassOf(std::int32_t function_id);

  bool IPrivateFunctions_OnGUIRequest(runtime::DTMContext& context, const std::string& text,
                                      GUIRequestCode code, const com::Variant& argument) override;
  std::string IPrivateFunctions_GetFunctions(runtime::DTMContext& context,
                                             runtime::OperationPhase& phase) override;
  bool IPrivateFunctions_InvokeFunctionRequest(runtime::DTMContext& context,
                                               const std::string& invoke_id,
                                               runtime::FunctionCall& call) override;
  std::string IPrivateFunctions_GetActiveXProgId(runtime::DTMContext& context,
                                                 runtime::FunctionCall& call) override;
  std::string IPrivateFunctions_GetDocumentation(runtime::DTMContext& context,
                                                 runtime::FunctionCall& call) override;

 private:
  std::string m_InvokeID;
};

}  // namespace dtm
