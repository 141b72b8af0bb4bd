#pragma once
// The parameter link: binds one edit field of a page to one data element.
// Edits become the element's transient value with a change notice, a
// command element's field runs its device command, and the field's label,
// unit, value, lock, visibility and status picture follow the element.
// Nothing is written to the device for a value element. A link lives in a
// shared_ptr (GetNewParamLink makes it so): the field's events and the end
// of its command reach it through weak references.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/com/variant.h"
#include "platform/controls/param_site.h"
#include "platform/forms/control.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

class clsDataElement;

class clsParamLink : public com::Object,
                     public controls::IPrivateParamLink,
                     public IPrivateProcess {
 public:
  clsParamLink() = default;
  ~clsParamLink() override;

  // ---- _clsParamLink ----
  // Replaces "%d" in the field's parameter tag.
  std::int32_t Index = 0;
  // The field is always locked (a page sets it on single links).
  bool Locked = false;
  // The page edits the device online: taken edits carry the online-edit
  // flag, and updates during an edit may be put off.
  bool bOnlineMode = false;
  // Takes the edit, or runs the command of a command field.
  void HandleParameterChange();

  // ---- IPrivateParamLink ----
  controls::ParamLinkPtr IPrivateParamLink_GetNewParamLink() override;
  DataElementPtr IPrivateParamLink_DataElement() const override;
  controls::ParameterPtr IPrivateParamLink_ParameterCtl() const override;
  // Raises what the parameter collection raises for a path it lacks; the
  // link is then left unbound.
  void IPrivateParamLink_InitLink(runtime::DTMContext& context,
                                  const controls::ParameterPtr& control,
                                  const controls::ImageCollectionPtr& images,
                                  const std::string& text) override;
  void IPrivateParamLink_TerminateLink() override;
  void IPrivateParamLink_InitLanguageDependent() override;
  void IPrivateParamLink_UpdateParameter() override;
  void IPrivateParamLink_ValidateParameter() override;

  // ---- IPrivateProcess ----
  void IPrivateProcess_OnProcessProgress(const std::string& process_id, const com::Variant& a,
                                         const com::Variant& b) override;
  void IPrivateProcess_OnProcessFinished(const std::string& process_id,
                                         const std::optional<com::Variant>& success) override;

  // The bound element as the component's class; nullptr while unbound.
  const std::shared_ptr<clsDataElement>& Element() const { return m_Element; }
  // The id of the command this link runs; "" when none runs.
  const std::string& CommandProcessId() const { return m_CmdProcessID; }
  bool Editing() const { return m_bEditing; }
  bool UpdatePending() const { return m_bUpdatePending; }

  // ---- the value helpers, open to tests ----
  // The bits of a Byte, Integer, Long or whole Double (from -2^31 below
  // 2^32) or of a byte array (its last byte first), least significant
  // first, "0" or "1", joined by "|"; "" for any other value.
  static std::string ValueToBitString(const com::Variant& value);
  // The value of a bit text for a value type; Null when the type has no
  // bit form or the bits do not fit it (the edit is then not taken).
  static com::Variant BitStringToValue(const std::string& text, std::int32_t value_type,
                                       std::int32_t length);
  // Equality as the field sees it: Null only equals Null, Empty only
  // Empty, a number that is no finite number only another such, arrays
  // element by element.
  static bool IsSameValue(const com::Variant& a, const com::Variant& b);

 private:
  std::string GetDictText(const std::string& key) const;
  void UpdateStatusIcon();
  void UpdateLockState();
  void ShowParamHelp();
  std::int32_t CalcStatusFlags(const com::Variant& value) const;
  void OnControlChange(std::int32_t mask);
  // The field's text as the element's value (bits for a bit field).
  com::Variant ControlValue() const;
  void EvaluateDataSetState();
  void m_ParamCtl_ObjectEvent(const std::string& name, forms::Args& args);
  void Connect();
  void Disconnect();
  std::int32_t ControlType() const;

  runtime::DTMContext* m_Context = nullptr;
  std::shared_ptr<clsDataElement> m_Element;
  controls::ImageCollectionPtr m_Images;
  std::string m_CmdProcessID;
  bool m_bEditing = false;
  bool m_bUpdatePending = false;
  std::int32_t m_NotifyDepth = 0;
  bool m_bFlagsDirty = false;
  std::int32_t m_ControlType = 0;
  controls::ParameterPtr m_ParamCtl;
  std::vector<forms::ConnectionId> m_Connections;
};

}  // namespace dtm
