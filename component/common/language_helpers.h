#pragma once
// Texts by language key from the runtime dictionary, and the captions of a
// page's controls by caption key ("<page>_<name>[_<index>][.<tab>]").

#include <optional>
#include <string>

#include "platform/com/variant.h"
#include "platform/forms/controls.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm::LanguageHelpers {

// The text of `key` in section "keys"; the key itself when the dictionary
// has no such entry (placeholders are then left alone). Otherwise every
// "%1", then "%2", then "%3" is replaced by the text of the argument given
// for it, in the user's locale (the context's); an argument that was not
// given leaves its placeholder.
std::string GetLangText(runtime::DTMContext& context, const std::string& key,
                        const std::optional<com::Variant>& p1 = std::nullopt,
                        const std::optional<com::Variant>& p2 = std::nullopt,
                        const std::optional<com::Variant>& p3 = std::nullopt);

// Sets the caption of every frame, button, label, check box, option button
// and menu, and of every tab of tab strips and tabbed dialogs, that has an
// entry under its caption key; the layout's caption stays otherwise.
// Errors while reading a control's name or index are ignored; errors of
// the dictionary or of setting a caption reach the caller.
void SetControlTexts(runtime::DTMContext& context, const std::string& prefix,
                     const forms::Controls& controls);

}  // namespace dtm::LanguageHelpers
