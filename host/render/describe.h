#pragma once
// The state of a page's form for the renderers, read from the forms layer.

#include "host/render/page_view.h"

namespace dtm::forms {
class Control;
class UserControl;
}  // namespace dtm::forms

namespace dtm::render {

// A control that knows more about itself than the forms layer keeps (the
// lines of a list box, a field's label and unit): it adds that to the
// common properties already read.
class Describable {
 public:
  virtual ~Describable() = default;
  virtual void AddTo(ControlState& state) const = 0;
};

// The form with everything on it, nested user controls included; a
// control that is also Describable adds its own part.
ControlState DescribeForm(const forms::UserControl& form);

}  // namespace dtm::render
