#include "platform/runtime/context.h"

#include <algorithm>
#include <cctype>

#include "platform/com/error.h"

namespace dtm::runtime {

namespace {

// Names reached by late binding match without regard to case, as
// automation names do.
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

DTMContext::DTMContext(const Services& services)
    : services_(services),
      device_type_(std::make_shared<runtime::DeviceType>()),
      dictionary_(std::make_shared<runtime::DTMDictionary>()) {}

DTMContext::~DTMContext() = default;

void DTMContext::Init(const com::ObjectPtr& dtm, std::shared_ptr<IPrivateDataModel> data_model,
                      std::shared_ptr<runtime::CommObject> comm_object,
                      std::shared_ptr<IPrivateFunctions> functions) {
  dtm_ = dtm;
  data_model_ = std::move(data_model);
  comm_object_ = std::move(comm_object);
  functions_ = std::move(functions);
}

// The data model's rules make a new or loaded data set consistent; what
// they change is part of that data set, not an edit since.
void DTMContext::ReconcileDataSet() {
  if (!data_model_) return;
  parameters_.SetCountChanges(false);
  try {
    data_model_->IPrivateDataModel_DataSetChanged(*this);
  } catch (...) {
    parameters_.SetCountChanges(true);
    throw;
  }
  parameters_.SetCountChanges(true);
}

void DTMContext::InitNew(const std::shared_ptr<runtime::DeviceType>& device_type) {
  if (!device_type) com::ThrowObjectVariableNotSet("DTMContext");
  device_type_ = device_type;
  // A snapshot: an element's InitNew may not reshape the collection under us.
  const std::vector<DataElementPtr> elements = parameters_.Elements();
  for (const DataElementPtr& element : elements) {
    element->IPrivateDataElement_InitNew(com::Variant(), com::Variant());
  }
  ReconcileDataSet();
  parameters_.ResetChanged();
  parameters_.SetDataChangedState(0);
}

void DTMContext::ReadProperties(com::PropertyBag& bag) {
  const std::vector<DataElementPtr> elements = parameters_.Elements();
  for (const DataElementPtr& element : elements) {
    element->IPrivateDataElement_ReadFromPropBag(bag, *this);
  }
  ReconcileDataSet();
  parameters_.ResetChanged();
  parameters_.SetDataChangedState(0);
}

void DTMContext::WriteProperties(com::PropertyBag& bag) {
  const std::vector<DataElementPtr> elements = parameters_.Elements();
  for (const DataElementPtr& element : elements) {
    element->IPrivateDataElement_WriteToPropBag(bag, com::Variant());
  }
  // Saved: nothing is left unsaved.
  parameters_.ResetChanged();
  parameters_.SetDataChangedState(0);
}

std::shared_ptr<FrameStorage> DTMContext::FrameStorage() const {
  return std::dynamic_pointer_cast<dtm::FrameStorage>(container_);
}

void DTMContext::ShowError(const std::string& text) { services_.messages.ShowError(text); }

void DTMContext::Report(const std::string& text) { services_.messages.Report(text); }

std::int32_t DTMContext::MessageBox(const std::string& text, std::int32_t style,
                                    const std::string& title) {
  return services_.messages.MessageBox(text, style, title);
}

std::string DTMContext::GetKeyText(const std::string& key) const {
  const com::Variant text = dictionary_->GetValue("keys", key, "text");
  return text.IsEmpty() ? key : text.ToString();
}

com::Variant DTMContext::GetProperty(std::string_view name) {
  if (SameName(name, "SystemTag")) return com::Variant(system_tag_);
  if (SameName(name, "PrivateDialogEnabled")) return com::Variant(private_dialog_enabled_);
  if (SameName(name, "ShowCompanyURL")) return com::Variant(ShowCompanyURL());
  if (SameName(name, "DTM")) return com::Variant(DTM());
  if (SameName(name, "DTMState")) return com::Variant(dtm_state_);
  return com::Object::GetProperty(name);
}

}  // namespace dtm::runtime
