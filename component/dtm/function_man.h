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

  // A page's print request (the argument is the function number to open)
  // or save request, passed to the frame for the instance's system tag.
  // False for any other code, and while the frame has given no container.
  bool IPrivateFunctions_OnGUIRequest(runtime::DTMContext& context, const std::string& text,
                                      GUIRequestCode code, const com::Variant& argument) override;
  // The functions document ("DTMFunctions") with the states of this moment:
  // online functions 4 with a communication, else 0; the monitor 4 for the
  // planning engineer or with the registry's "Debug" 1, else 8; the search 4.
  // The phase is kept as the navigation's LastOperationPhase; failing to
  // keep it raises, any later failure is passed over ("" when no list).
  std::string IPrivateFunctions_GetFunctions(runtime::DTMContext& context,
                                             runtime::OperationPhase& phase) override;
  // No function is carried out this way: always false.
  bool IPrivateFunctions_InvokeFunctionRequest(runtime::DTMContext& context,
                                               const std::string& invoke_id,
                                               runtime::FunctionCall& call) override;
  std::string IPrivateFunctions_GetActiveXProgId(runtime::DTMContext& context,
                                                 runtime::FunctionCall& call) override;
  // The documentation of kind "DTMDoc<nnn>" with the elements that the
  // call's argument (a number 0..11 picks mode bit 0x10000 << n) or else
  // the function number selects; function 501 documents none.
  std::string IPrivateFunctions_GetDocumentation(runtime::DTMContext& context,
                                                 runtime::FunctionCall& call) override;

 private:
  std::string m_InvokeID;
};

}  // namespace dtm
