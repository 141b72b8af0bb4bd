#pragma once
// The search control of the search-control library and its function items.
// The search page hands it the DTM context, the navigation object and a
// list of DTM functions; the pages it searches are attached to those
// functions. A search asks each attached page, in the list's order, for its
// parameter fields that match (IPrivateNavigation_FindParameters) and for
// its dictionary keys (IPrivateNavigation_GetDictKeys), whose texts it
// matches itself; showing a hit makes its control path the navigation's
// target and asks the page to show it. What it found is kept as plain data
// for renderers, and its calls are logged.
//
// Late binding: the design properties wtype, wplace, wlabel, wtooltip,
// whelp, wenum (single-precision) and comboitem0 to comboitem9 (texts),
// HitCount, SearchText; Init(ctx, navigation, functions), SetLanguage(id),
// Release, EnableInput(enabled), Search(text) -> hit count, ShowHit(i) ->
// Boolean through Invoke.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/property_bag.h"
#include "platform/controls/collection.h"
#include "platform/controls/navigation.h"
#include "platform/controls/private_navigation.h"
#include "platform/forms/controls.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm::controls {

// A DTM function of the search list, with the dictionary place of its
// display text. By name: Name, Section, Key, Attribute.
class SearchFunction : public com::Object {
 public:
  SearchFunction() = default;
  SearchFunction(std::string name, std::string section, std::string key, std::string attribute)
      : name_(std::move(name)),
        section_(std::move(section)),
        key_(std::move(key)),
        attribute_(std::move(attribute)) {}

  const std::string& Name() const { return name_; }
  void SetName(std::string value) { name_ = std::move(value); }
  const std::string& Section() const { return section_; }
  void SetSection(std::string value) { section_ = std::move(value); }
  const std::string& Key() const { return key_; }
  void SetKey(std::string value) { key_ = std::move(value); }
  const std::string& Attribute() const { return attribute_; }
  void SetAttribute(std::string value) { attribute_ = std::move(value); }

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;

 private:
  std::string name_;
  std::string section_;
  std::string key_;
  std::string attribute_;
};

class ctlDTMSearch : public forms::Control {
 public:
  static constexpr std::size_t kComboItems = 10;

  // The layout's stored properties (column widths in twips, the search
  // texts offered), with their defaults.
  struct DesignProperties {
    float wtype = 1250;
    float wplace = 1350;
    float wlabel = 1650;
    float wtooltip = 1350;
    float whelp = 1350;
    float wenum = 1350;
    std::array<std::string, kComboItems> comboitem;
  };
  struct Function {
    std::string name;
    std::string text;  // the display text in the current language; the name when absent
  };
  // One thing found: the function (page) it lies on, what kind of text it
  // is, the text that matched, its dictionary key and its control path.
  struct Hit {
    std::string function;
    std::string function_text;
    std::string category;
    std::string text;
    std::string dict_key;
    std::string control_path;
    friend bool operator==(const Hit&, const Hit&) = default;
  };
  struct State {
    bool initialised = false;
    std::int32_t language = 0;
    bool input_enabled = true;
    std::vector<Function> functions;  // in the list's order
    std::string search_text;
    std::vector<Hit> hits;
    std::string shown_path;  // the control path of the hit last shown
  };

  explicit ctlDTMSearch(std::string name = "ctlDTMSearch");

  const State& GetState() const { return state_; }
  const DesignProperties& Design() const { return design_; }
  DesignProperties& Design() { return design_; }
  // E.g. "Init(11)", "SetLanguage(1033)", "EnableInput(False)",
  // "Search(hub)=3", "ShowHit(0)=True", "Release".
  const std::vector<std::string>& Calls() const { return calls_; }

  // Every item of `functions` must be a SearchFunction (else Type mismatch,
  // 13, and nothing is taken). The context is held weakly.
  void Init(const std::shared_ptr<runtime::DTMContext>& context,
            std::shared_ptr<Navigation> navigation, std::shared_ptr<Collection> functions);
  // Reads the function texts again and repeats the last search, so that
  // what is shown follows the dictionary's language.
  void SetLanguage(std::int32_t language);
  // Lets go of the context, navigation, functions, pages and hits.
  void Release();
  // The search field is locked or not; the search only reads, so it runs
  // either way.
  void EnableInput(bool enabled);

  // The page that shows the function `function` (a name of the list),
  // searched under the page path `page_path` ("ctlOffline"); `function_id`
  // is the DTM function that opens it (0: none known). The page is held
  // weakly; a page attached again replaces the earlier one.
  //
  // A page that is a user control is searched as it stands, whether the
  // frame opened it or not: its fields and those of the pages it hosts,
  // each by its label (the one SetLabels gives its element path, else the
  // field's own) or its element path.
  void AttachPage(const std::string& function, std::string page_path,
                  const std::shared_ptr<IPrivateNavigation>& page, std::int32_t function_id = 0);
  // The label of the element a field shows, in the current language; ""
  // for none. Held until Release.
  using LabelSource = std::function<std::string(const std::string& element_path)>;
  void SetLabels(LabelSource labels) { labels_ = std::move(labels); }
  // The DTM function that opens the page of hit `index`; 0 for none.
  std::int32_t FunctionIdOf(std::size_t index) const;

  // The hits for `text`: for each function of the list with a living page,
  // first its parameter fields, then its dictionary keys whose text or key
  // contains `text` (without regard to case; a key without a text in the
  // dictionary is passed over). "" finds nothing, as does a search before
  // Init or after Release. Answers the number of hits.
  std::size_t Search(const std::string& text);
  // Shows the hit `index` (from 0): its control path becomes the
  // navigation's target and its page is asked to show it; when the page
  // shows it, the target is cleared again, else it waits for the page to be
  // shown. False for an index out of range, a page gone, or a page that
  // shows nothing.
  bool ShowHit(std::size_t index);

  void ReadProperties(com::PropertyBag& bag);
  void WriteProperties(com::PropertyBag& bag) const;

  com::Variant GetProperty(std::string_view name) override;
  void SetProperty(std::string_view name, const com::Variant& value) override;
  com::Variant Invoke(std::string_view name, std::span<const com::Variant> args) override;

  // Kind "Search": the search text in `text`, one item per hit ("label |
  // path | function"; the path of a parameter is its element path, of
  // anything else its control path), and "searched" True once a search ran.
  // "none" holds what the user reads when a search found nothing.
  void Describe(forms::ControlState& state) const override;
  // What the user types into the search field is searched for at once.
  void SetText(std::string text) override;

 private:
  struct Page {
    std::string function;
    std::string path;
    std::weak_ptr<IPrivateNavigation> page;
    std::int32_t function_id = 0;
  };
  void FindFields(const Function& function, const forms::UserControl& page,
                  const std::string& path, const std::string& text);
  void ReadFunctionTexts();
  std::string Text(const std::string& section, const std::string& key,
                   const std::string& attribute) const;
  const Page* PageOf(const std::string& function) const;
  void Log(std::string call) { calls_.push_back(std::move(call)); }

  DesignProperties design_;
  State state_;
  std::weak_ptr<runtime::DTMContext> context_;
  std::shared_ptr<Navigation> navigation_;
  std::shared_ptr<Collection> functions_;
  std::vector<Page> pages_;
  std::vector<std::string> calls_;
  LabelSource labels_;
  bool searched_ = false;
};

}  // namespace dtm::controls
