#pragma once
// The DTM context: the root of the runtime objects of one DTM instance, and
// the instance's frame-given state (system tag, container, language,
// private-dialog permission). Properties follow one naming rule: `Name()`
// reads, `SetName(value)` writes.

#include <cstdint>
#include <memory>
#include <string>

#include "component/interfaces/fdt.h"
#include "component/interfaces/private.h"
#include "platform/com/object.h"
#include "platform/com/property_bag.h"
#include "platform/runtime/comm.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/documents.h"
#include "platform/runtime/gui_man.h"
#include "platform/runtime/hart_units.h"
#include "platform/runtime/parameters.h"
#include "platform/runtime/process_man.h"
#include "platform/runtime/services.h"
#include "platform/runtime/user.h"
#include "platform/runtime/xml_man.h"

namespace dtm::runtime {

class DTMContext : public com::Object {
 public:
  explicit DTMContext(const Services& services);
  ~DTMContext() override;

  // Binds the instance's component objects. The DTM is held weakly (it owns
  // this context); the others are shared.
  void Init(const com::ObjectPtr& dtm, std::shared_ptr<IPrivateDataModel> data_model,
            std::shared_ptr<CommObject> comm_object, std::shared_ptr<IPrivateFunctions> functions);
  // A new instance of `device_type`: every element's IPrivateDataElement_InitNew,
  // then the data model's DataSetChanged.
  void InitNew(const std::shared_ptr<DeviceType>& device_type);
  // Each element reads or writes its entries (IPrivateDataElement_ReadFromPropBag /
  // _WriteToPropBag) in collection order; a read ends with the data model's
  // DataSetChanged. Errors of an element propagate.
  void ReadProperties(com::PropertyBag& bag);
  void WriteProperties(com::PropertyBag& bag);

  const std::string& SystemTag() const { return system_tag_; }
  void SetSystemTag(std::string tag) { system_tag_ = std::move(tag); }
  bool PrivateDialogEnabled() const { return private_dialog_enabled_; }
  void SetPrivateDialogEnabled(bool enabled) { private_dialog_enabled_ = enabled; }
  // Whether pages may offer the company's web address: only where the
  // frame lets the DTM open dialogs of its own, since following the address
  // opens a window outside the frame.
  bool ShowCompanyURL() const { return private_dialog_enabled_; }
  // The frame's container of the instance; nullptr until IDtm_Environment.
  const std::shared_ptr<FrameContainer>& Container() const { return container_; }
  void SetContainer(std::shared_ptr<FrameContainer> container) { container_ = std::move(container); }
  // The frame's storage: the container's FrameStorage face; nullptr when it has none.
  std::shared_ptr<dtm::FrameStorage> FrameStorage() const;

  com::ObjectPtr DTM() const { return dtm_.lock(); }
  const com::ObjectPtr& DTMState() const { return dtm_state_; }
  void SetDTMState(com::ObjectPtr state) { dtm_state_ = std::move(state); }
  // Never null: an empty device type until InitNew.
  const std::shared_ptr<runtime::DeviceType>& DeviceType() const { return device_type_; }
  const std::shared_ptr<IPrivateDataModel>& DataModel() const { return data_model_; }
  const std::shared_ptr<IPrivateFunctions>& Functions() const { return functions_; }
  const std::shared_ptr<runtime::CommObject>& CommObject() const { return comm_object_; }

  // Reports without a box.
  void ShowError(const std::string& text);
  void Report(const std::string& text);
  // A message box with a Windows style number; answers the button code.
  std::int32_t MessageBox(const std::string& text, std::int32_t style,
                          const std::string& title = {});
  // The text of a key of the dictionary section "keys"; the key itself when absent.
  std::string GetKeyText(const std::string& key) const;

  runtime::XMLMan& XMLMan() { return xml_man_; }
  runtime::GUIMan& GUIMan() { return gui_man_; }
  runtime::CommMan& CommMan() { return comm_man_; }
  runtime::ProcessMan& ProcessMan() { return process_man_; }
  runtime::Parameters& Parameters() { return parameters_; }
  runtime::User& User() { return user_; }
  runtime::DTMDictionary& Dictionary() { return *dictionary_; }
  runtime::DTMDictionary& DTMDictionary() { return *dictionary_; }
  const runtime::DTMDictionary& Dictionary() const { return *dictionary_; }

  const Services& GetServices() const { return services_; }
  // The user's locale from the services, for the texts the user sees or types.
  const com::Locale& Locale() const { return services_.locale->Get(); }

  // Late-bound access to the properties that callers reach by name.
  com::Variant GetProperty(std::string_view name) override;

 private:
  void ReconcileDataSet();

  Services services_;
  std::weak_ptr<com::Object> dtm_;
  std::shared_ptr<IPrivateDataModel> data_model_;
  std::shared_ptr<runtime::CommObject> comm_object_;
  std::shared_ptr<IPrivateFunctions> functions_;
  com::ObjectPtr dtm_state_;
  std::shared_ptr<runtime::DeviceType> device_type_;
  std::shared_ptr<FrameContainer> container_;
  std::string system_tag_;
  bool private_dialog_enabled_ = false;

  runtime::XMLMan xml_man_;
  std::shared_ptr<runtime::DTMDictionary> dictionary_;
  runtime::GUIMan gui_man_{*this};
  runtime::Parameters parameters_{*this};
  runtime::CommMan comm_man_{*this};
  runtime::ProcessMan process_man_{*this};
  runtime::User user_;
};

}  // namespace dtm::runtime
