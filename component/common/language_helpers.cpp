#include "component/common/language_helpers.h"

#include "platform/com/error.h"
#include "platform/runtime/context.h"

namespace dtm::LanguageHelpers {
namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// prefix & Name [& "_" & Index], built with errors ignored: a Name that
// cannot be read leaves the key at the prefix alone, so it is never looked up.
std::string CaptionKey(const std::string& prefix, const forms::Control& control) {
  std::string key;
  try {
    key = prefix + control.Name();
    key += "_" + std::to_string(control.Index());
  } catch (const com::ComError&) {
  }
  return key;
}

}  // namespace

std::string GetLangText(runtime::DTMContext& context, const std::string& key,
                        const std::optional<com::Variant>& p1,
                        const std::optional<com::Variant>& p2,
                        const std::optional<com::Variant>& p3) {
  const com::Variant value = context.Dictionary().GetValue("keys", key, "text");
  if (value.IsEmpty()) return key;
  std::string text = value.ToString();
  const std::optional<com::Variant>* args[] = {&p1, &p2, &p3};
  for (int i = 0; i < 3; ++i) {
    if (args[i]->has_value()) {
      ReplaceAll(text, "%" + std::to_string(i + 1), (*args[i])->ToString(context.Locale()));
    }
  }
  return text;
}

void SetControlTexts(runtime::DTMContext& context, const std::string& prefix,
                     const forms::Controls& controls) {
  runtime::DTMDictionary& dictionary = context.Dictionary();
  const xml::Node keys = dictionary.GetNode("keys");
  auto lookup = [&](const std::string& key) { return dictionary.GetValue(keys, key, "text"); };

  for (const forms::ControlPtr& control : controls) {
    if (!control) continue;
    const forms::ControlKind kind = control->Kind();
    if (kind == forms::ControlKind::kParamHelp) continue;
    const bool tabs = kind == forms::ControlKind::kTabStrip ||
                      kind == forms::ControlKind::kTabbedDialog;
    if (!forms::TakesCaption(kind) && !tabs) continue;

    const std::string key = CaptionKey(prefix, *control);
    if (key.size() <= prefix.size()) continue;

    if (kind == forms::ControlKind::kTabStrip) {
      auto& strip = static_cast<forms::TabStrip&>(*control);
      for (std::size_t tab = 1; tab <= strip.TabCount(); ++tab) {
        const com::Variant text = lookup(key + "." + std::to_string(tab));
        if (!text.IsEmpty()) strip.TabItem(tab).caption = text.ToString();
      }
    } else if (kind == forms::ControlKind::kTabbedDialog) {
      auto& dialog = static_cast<forms::TabbedDialog&>(*control);
      for (std::int16_t tab = 0; tab < dialog.Tabs(); ++tab) {
        const com::Variant text = lookup(key + "." + std::to_string(tab));
        if (!text.IsEmpty()) dialog.SetTabCaption(tab, text.ToString());
      }
    } else {
      const com::Variant text = lookup(key);
      if (!text.IsEmpty()) control->SetCaption(text.ToString());
    }
  }
}

}  // namespace dtm::LanguageHelpers
