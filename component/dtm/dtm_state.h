#pragma once
// Per-instance state shared by the pages: the navigation object of the
// search controls, created once by Init.

#include "platform/com/object.h"

namespace dtm {

class DTMState : public com::Object {
 public:
  const com::ObjectPtr& Navigation() const { return navigation_; }
  void SetNavigation(com::ObjectPtr navigation) { navigation_ = std::move(navigation); }

  // Creates the navigation object and resets it.
  void Init(const com::ObjectPtr& context);

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

 private:
  com::ObjectPtr navigation_;
};

}  // namespace dtm
