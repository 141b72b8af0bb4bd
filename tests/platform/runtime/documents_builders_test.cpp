// The documentation document and the parameter document of the data set:
// which elements they hold, where each element's node sits when the element
// is asked to fill it, and the way back from a parameter document.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com/error.h"
#include "platform/runtime/documents.h"
#include "platform/xml/dom.h"
#include "tests/platform/runtime/fakes.h"

namespace dtm::runtime {
namespace {

using fakes::CallLog;

// An element that fills document nodes the simple way: a documentation
// node gets its name as "fdt:name" (or whatever `on_doc` does), a parameter
// variable its value as the text of fdt:Value/fdt:Display, which it reads
// back from the same place. Every call is logged as "<name>.<Call>".
class DocElement final : public IPrivateDataElement {
 public:
  DocElement(std::string name, std::int32_t mode, CallLog& log)
      : name_(std::move(name)), mode_(mode), log_(log) {}

  std::string IPrivateDataElement_Name() const override { return name_; }
  void IPrivateDataElement_Name(const std::string& name) override { name_ = name; }
  std::int32_t IPrivateDataElement_ValueType() const override { return kText; }
  void IPrivateDataElement_ValueType(std::int32_t) override {}
  std::int32_t IPrivateDataElement_ValueTypeLength() const override { return 0; }
  void IPrivateDataElement_ValueTypeLength(std::int32_t) override {}
  std::int32_t IPrivateDataElement_StatusFlags() const override { return 0; }
  void IPrivateDataElement_StatusFlags(std::int32_t) override {}
  std::int32_t IPrivateDataElement_ElementMode() const override { return mode_; }
  void IPrivateDataElement_ElementMode(std::int32_t mode) override { mode_ = mode; }
  com::Variant IPrivateDataElement_TransientValue() const override { return value; }
  void IPrivateDataElement_TransientValue(const com::Variant& v) override { value = v; }
  com::Variant IPrivateDataElement_PersistentValue() const override { return {}; }
  void IPrivateDataElement_PersistentValue(const com::Variant&) override {}
  com::Variant IPrivateDataElement_DeviceValue() const override { return {}; }
  void IPrivateDataElement_DeviceValue(const com::Variant&) override {}
  bool IPrivateDataElement_InitNew(const com::Variant&, const com::Variant&) override {
    return true;
  }
  bool IPrivateDataElement_ReadFromPropBag(com::PropertyBag&, DTMContext&) override {
    return true;
  }
  bool IPrivateDataElement_WriteToPropBag(com::PropertyBag&, const com::Variant&) override {
    return true;
  }
  bool IPrivateDataElement_ReadFromDtmVariable(const xml::Node& node, DTMContext&) override {
    log_.push_back(name_ + ".ReadFromDtmVariable");
    const xml::Node shown = node.SelectSingleNode("fdt:Value/fdt:Display");
    if (!shown || !shown.Attribute("string") || refuse_value) return false;
    value = *shown.Attribute("string");
    return true;
  }
  bool IPrivateDataElement_WriteToDtmVariable(const xml::Node& node, DTMContext&) override {
    log_.push_back(name_ + ".WriteToDtmVariable");
    xml::Node variable = node;
    variable.AddElement("fdt:Value").AddElement("fdt:Display").SetAttribute("string",
                                                                           value.ToString());
    return true;
  }
  bool IPrivateDataElement_WriteToDocVariable(const xml::Node& node, DTMContext&) override {
    log_.push_back(name_ + ".WriteToDocVariable");
    if (on_doc) return on_doc(node);
    xml::Node target = node;
    target.SetAttribute("fdt:name", name_);
    return true;
  }
  bool IPrivateDataElement_IsUploadParam(const com::Variant&) override { return false; }
  bool IPrivateDataElement_IsDownloadParam(DTMContext&) override { return false; }
  bool IPrivateDataElement_IsDeviceCommand(DTMContext&) override { return false; }
  std::int32_t IPrivateDataElement_NestProcessLevel() const override { return 0; }
  void IPrivateDataElement_NestProcessLevel(std::int32_t) override {}

  com::Variant value;
  bool refuse_value = false;
  std::function<bool(const xml::Node&)> on_doc;

 private:
  static constexpr std::int32_t kText = 14;
  std::string name_;
  std::int32_t mode_;
  CallLog& log_;
};

constexpr std::int32_t kStored = 0x10;

class BuildersFixture : public fakes::RuntimeFixture {
 protected:
  BuildersFixture() { context_->SetSystemTag("TAG1"); }

  std::shared_ptr<DocElement> Add(const std::string& name, std::int32_t mode,
                                  const std::string& value = "") {
    auto element = std::make_shared<DocElement>(name, mode, log_);
    element->value = com::Variant(value);
    context_->Parameters().Add(element);
    return element;
  }

  // The attribute `name` of every DocumentVariable, in document order.
  static std::vector<std::string> VariableAttributes(const std::string& text,
                                                     const std::string& name) {
    const xml::Document document = xml::Document::Parse(text);
    std::vector<std::string> values;
    for (const xml::Node& node : document.SelectNodes("/FDT/DocumentVariables/*")) {
      EXPECT_EQ(node.Name(), "DocumentVariable");
      values.push_back(node.Attribute(name).value_or("(none)"));
    }
    return values;
  }

  DocumentationBuilder documentation_;
  ParameterDocument parameters_;
};

// ---- Documentation -------------------------------------------------------------------

class DocumentationHeader : public BuildersFixture {};

TEST_F(DocumentationHeader, NamesTheDtmTheInstanceTheKindAndTheMask) {
  const xml::Document document =
      xml::Document::Parse(documentation_.Build(*context_, "DTMDoc013", 0x2000000, ""));
  const xml::Node root = document.DocumentElement();
  EXPECT_EQ(root.Name(), "FDT");
  EXPECT_EQ(root.Attribute("name"), "Fake DTM");
  EXPECT_EQ(root.Attribute("systemTag"), "TAG1");
  EXPECT_EQ(root.Attribute("kind"), "DTMDoc013");
  EXPECT_EQ(root.Attribute("mask"), "33554432");
  EXPECT_EQ(root.Attribute("comment"), std::nullopt);
  EXPECT_EQ(root.Attribute("xmlns:fdt"), "x-schema:FDTDataTypesSchema.xml");
  EXPECT_TRUE(root.FirstChild("DocumentVariables"));
}

TEST_F(DocumentationHeader, CarriesACommentOnlyWhenGiven) {
  const xml::Document document =
      xml::Document::Parse(documentation_.Build(*context_, "DTMDoc001", 0, "Prüfprotokoll"));
  EXPECT_EQ(document.DocumentElement().Attribute("comment"), "Prüfprotokoll");
}

TEST_F(DocumentationHeader, NeedsADataModel) {
  context_->Init(dtm_, nullptr, comm_object_, nullptr);
  EXPECT_THROW(documentation_.Build(*context_, "DTMDoc001", 1, ""), com::ComError);
}

struct MaskCase {
  const char* name;
  std::int32_t mask;
  std::vector<std::string> offered;  // names, in the order they are asked
};
void PrintTo(const MaskCase& c, std::ostream* os) { *os << c.name; }

const MaskCase kMaskCases[] = {
    {"NoMaskNoElement", 0, {}},
    {"OneBit", 0x2000000, {"A", "AC"}},
    {"OtherBit", 0x800000, {"C", "AC"}},
    {"AnyBitOfTheMask", 0x2800000, {"A", "C", "AC"}},
    {"BitNoElementHas", 0x10000, {}},
    {"HighestModeBit", static_cast<std::int32_t>(0x80000000u), {"Top"}},
};

class DocumentationSelection : public BuildersFixture,
                               public ::testing::WithParamInterface<MaskCase> {};

TEST_P(DocumentationSelection, OffersTheElementsSharingABitInCollectionOrder) {
  Add("A", 0x2000010);
  Add("None", 0x10);
  Add("C", 0x800000);
  Add("AC", 0x2800000);
  Add("Top", static_cast<std::int32_t>(0x80000000u));
  const std::string text = documentation_.Build(*context_, "DTMDoc002", GetParam().mask, "");
  std::vector<std::string> expected_log;
  for (const std::string& name : GetParam().offered) expected_log.push_back(name + ".WriteToDocVariable");
  EXPECT_EQ(log_, expected_log);
  EXPECT_EQ(VariableAttributes(text, "fdt:name"), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(Table, DocumentationSelection, ::testing::ValuesIn(kMaskCases),
                         [](const auto& i) { return std::string(i.param.name); });

class DocumentationPlacing : public BuildersFixture {};

TEST_F(DocumentationPlacing, HandsEachElementAFreshNodeAfterTheOthers) {
  Add("First", 1);
  auto second = Add("Second", 1);
  std::vector<std::string> seen;
  second->on_doc = [&seen](const xml::Node& node) {
    // Where the element finds its node: the last child of the variables
    // below the document element, with nothing written on it yet.
    const xml::Node parent = node.Parent();
    seen.push_back(parent.Name());
    seen.push_back(parent.Parent().Name());
    seen.push_back(parent.Children().back() == node ? "last" : "not last");
    seen.push_back(std::to_string(parent.Children().size()));
    seen.push_back(std::to_string(node.Attributes().size()));
    xml::Node target = node;
    target.SetAttribute("fdt:name", "Second");
    return true;
  };
  documentation_.Build(*context_, "DTMDoc001", 1, "");
  EXPECT_EQ(seen, (std::vector<std::string>{"DocumentVariables", "FDT", "last", "2", "0"}));
}

TEST_F(DocumentationPlacing, KeepsThePlaceAnElementChoseForItself) {
  Add("Later", 1);
  Add("Unplaced", 1);
  auto earlier = Add("Earlier", 1);
  // The element puts a copy of its node before the first one and drops the
  // node it was given, as an element with a lower sort number does.
  earlier->on_doc = [](const xml::Node& node) {
    xml::Node variables = node.Parent();
    xml::Node copy = variables.InsertBefore(node.CloneNode(true), variables.Children().front());
    copy.SetAttribute("fdt:name", "Earlier");
    variables.RemoveChild(node);
    return true;
  };
  const std::string text = documentation_.Build(*context_, "DTMDoc001", 1, "");
  EXPECT_EQ(VariableAttributes(text, "fdt:name"),
            (std::vector<std::string>{"Earlier", "Later", "Unplaced"}));
}

TEST_F(DocumentationPlacing, TakesOutTheNodeOfAnElementThatWroteNothing) {
  Add("Shown", 1);
  auto refusing = Add("Refusing", 1);
  refusing->on_doc = [](const xml::Node&) { return false; };
  Add("AlsoShown", 1);
  const std::string text = documentation_.Build(*context_, "DTMDoc001", 1, "");
  EXPECT_EQ(VariableAttributes(text, "fdt:name"),
            (std::vector<std::string>{"Shown", "AlsoShown"}));
}

TEST_F(DocumentationPlacing, AnElementsErrorReachesTheCaller) {
  auto failing = Add("Failing", 1);
  failing->on_doc = [](const xml::Node&) -> bool {
    throw com::ComError(com::vb::kTypeMismatch, "Type mismatch", "Failing");
  };
  EXPECT_THROW(documentation_.Build(*context_, "DTMDoc001", 1, ""), com::ComError);
}

// ---- Parameter document -----------------------------------------------------------------

// The variables of a parameter document: "name|path|display" each.
std::vector<std::string> Variables(const std::string& text) {
  const xml::Document document = xml::Document::Parse(text);
  std::vector<std::string> rows;
  for (const xml::Node& node : document.SelectNodes("/FDT/DtmParameter/*")) {
    EXPECT_EQ(node.Name(), "fdt:DtmVariable");
    const xml::Node shown = node.SelectSingleNode("fdt:Value/fdt:Display");
    rows.push_back(node.Attribute("name").value_or("-") + "|" +
                   node.Attribute("path").value_or("-") + "|" +
                   (shown ? shown.Attribute("string").value_or("-") : "-"));
  }
  return rows;
}

class ParameterDocumentFixture : public BuildersFixture {
 protected:
  ParameterDocumentFixture() {
    tag_ = Add("~/Tag", kStored | 0x80, "TV-101");
    Add("UC000/", 0x1);
    Add("UC000/ManuId", kStored, "165");
    Add("DevState", 0x0, "0");
    Add("SC130Tr1/", 0x1);
    par2_ = Add("SC130Tr1/Par2", kStored | 0x2, "1");
    Add("SC130Tr1/Par1", kStored, "0");
    Add("SC130Tr1/Par3", 0x2, "7");
    Add("SC130Tr2/Par1", kStored, "3");
    log_.clear();
  }
  std::shared_ptr<DocElement> tag_;
  std::shared_ptr<DocElement> par2_;
};

struct PathCase {
  const char* name;
  const char* path;
  std::vector<std::string> variables;
};
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

const PathCase kPathCases[] = {
    {"WholeDataSet", "",
     {"Tag|~/Tag|TV-101", "ManuId|UC000/ManuId|165", "Par2|SC130Tr1/Par2|1",
      "Par1|SC130Tr1/Par1|0", "Par1|SC130Tr2/Par1|3"}},
    {"RootIsTheWholeDataSet", "/",
     {"Tag|~/Tag|TV-101", "ManuId|UC000/ManuId|165", "Par2|SC130Tr1/Par2|1",
      "Par1|SC130Tr1/Par1|0", "Par1|SC130Tr2/Par1|3"}},
    {"GroupMembersOfTheDataSet", "SC130Tr1/", {"Par2|SC130Tr1/Par2|1", "Par1|SC130Tr1/Par1|0"}},
    {"OneElement", "SC130Tr2/Par1", {"Par1|SC130Tr2/Par1|3"}},
    {"ElementOutsideTheDataSet", "DevState", {}},
    {"UnknownPath", "SC999/Par1", {}},
    {"GroupWithoutItsSlash", "SC130Tr1", {}},
};

class ParameterDocumentPaths : public ParameterDocumentFixture,
                               public ::testing::WithParamInterface<PathCase> {};

TEST_P(ParameterDocumentPaths, HoldsTheDataSetElementsOfThePathInCollectionOrder) {
  const std::string text = parameters_.GetXML(*context_, GetParam().path, 64);
  EXPECT_EQ(Variables(text), GetParam().variables);
  const xml::Document document = xml::Document::Parse(text);
  EXPECT_EQ(document.SelectSingleNode("/FDT/DtmParameter").Attribute("path"), GetParam().path);
  EXPECT_EQ(document.SelectSingleNode("/FDT/DtmParameter").Attribute("systemTag"), "TAG1");
}

INSTANTIATE_TEST_SUITE_P(Table, ParameterDocumentPaths, ::testing::ValuesIn(kPathCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ParameterDocumentFixture, OnlyTheDataSetKindIsKnown) {
  EXPECT_THROW(parameters_.GetXML(*context_, "", 0), com::ComError);
  EXPECT_THROW(parameters_.SetXML("<FDT/>", *context_, "", 65), com::ComError);
}

class ParameterRoundTrip : public ParameterDocumentFixture {};

TEST_F(ParameterRoundTrip, SetXmlGivesTheElementsTheirValuesBackAndNotifiesThem) {
  const std::string document = parameters_.GetXML(*context_, "", 64);
  tag_->value = com::Variant("changed");
  par2_->value = com::Variant("0");
  log_.clear();

  EXPECT_TRUE(parameters_.SetXML(document, *context_, "", 64));
  EXPECT_EQ(tag_->value, com::Variant("TV-101"));
  EXPECT_EQ(par2_->value, com::Variant("1"));
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "~/Tag.ReadFromDtmVariable", "Model.DataChanged(~/Tag)",
                      "UC000/ManuId.ReadFromDtmVariable", "Model.DataChanged(UC000/ManuId)",
                      "SC130Tr1/Par2.ReadFromDtmVariable", "Model.DataChanged(SC130Tr1/Par2)",
                      "SC130Tr1/Par1.ReadFromDtmVariable", "Model.DataChanged(SC130Tr1/Par1)",
                      "SC130Tr2/Par1.ReadFromDtmVariable", "Model.DataChanged(SC130Tr2/Par1)"}));
  EXPECT_EQ(context_->Parameters().Changed(), 5);
}

TEST_F(ParameterRoundTrip, AnElementThatTakesNoValueIsNotNotified) {
  const std::string document = parameters_.GetXML(*context_, "SC130Tr1/", 64);
  par2_->refuse_value = true;
  log_.clear();
  EXPECT_TRUE(parameters_.SetXML(document, *context_, "SC130Tr1/", 64));
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "SC130Tr1/Par2.ReadFromDtmVariable", "SC130Tr1/Par1.ReadFromDtmVariable",
                      "Model.DataChanged(SC130Tr1/Par1)"}));
}

constexpr const char* kOpen = R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml"><DtmParameter>)";
constexpr const char* kClose = "</DtmParameter></FDT>";

std::string Variable(const std::string& attributes, const std::string& shown) {
  return "<fdt:DtmVariable " + attributes + "><fdt:Value><fdt:Display string=\"" + shown +
         "\"/></fdt:Value></fdt:DtmVariable>";
}

struct SetCase {
  const char* name;
  std::string variables;  // between kOpen and kClose
  const char* path;
  bool answer;
  std::vector<std::string> log;
};
void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

const SetCase kSetCases[] = {
    {"ByPath", Variable(R"(name="Par1" path="SC130Tr2/Par1")", "9"), "", true,
     {"SC130Tr2/Par1.ReadFromDtmVariable", "Model.DataChanged(SC130Tr2/Par1)"}},
    {"ByAUniqueName", Variable(R"(name="Tag")", "X"), "", true,
     {"~/Tag.ReadFromDtmVariable", "Model.DataChanged(~/Tag)"}},
    {"ByANameUniqueInThePath", Variable(R"(name="Par1")", "9"), "SC130Tr2/", true,
     {"SC130Tr2/Par1.ReadFromDtmVariable", "Model.DataChanged(SC130Tr2/Par1)"}},
    {"AmbiguousNameIsNotApplied", Variable(R"(name="Par1")", "9"), "", false, {}},
    {"PathOutsideTheSelection", Variable(R"(name="Par1" path="SC130Tr2/Par1")", "9"),
     "SC130Tr1/", false, {}},
    {"ElementOutsideTheDataSet", Variable(R"(name="DevState" path="DevState")", "9"), "",
     false, {}},
    {"NameNotThatOfThePath", Variable(R"(name="Par2" path="SC130Tr2/Par1")", "9"), "", false,
     {}},
    {"NameThatOnlyEndsLikeTheElement", Variable(R"(name="ag")", "X"), "", false, {}},
    {"OthersAreStillApplied",
     Variable(R"(name="Nothing")", "1") + Variable(R"(name="Tag" path="~/Tag")", "X"), "",
     false, {"~/Tag.ReadFromDtmVariable", "Model.DataChanged(~/Tag)"}},
    {"NoVariables", "", "", true, {}},
};

class ParameterSetXml : public ParameterDocumentFixture,
                        public ::testing::WithParamInterface<SetCase> {};

TEST_P(ParameterSetXml, FindsEachVariablesElement) {
  const std::string document = kOpen + GetParam().variables + kClose;
  EXPECT_EQ(parameters_.SetXML(document, *context_, GetParam().path, 64), GetParam().answer);
  EXPECT_EQ(log_, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(Table, ParameterSetXml, ::testing::ValuesIn(kSetCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(ParameterDocumentFixture, ADocumentWithoutParametersIsNotApplied) {
  EXPECT_FALSE(parameters_.SetXML(R"(<FDT><DtmVariable name="Tag"/></FDT>)", *context_, "", 64));
  EXPECT_TRUE(log_.empty());
}

TEST_F(ParameterDocumentFixture, ADamagedDocumentRaisesAndChangesNothing) {
  std::string document = parameters_.GetXML(*context_, "", 64);
  document.resize(document.size() / 2);
  tag_->value = com::Variant("changed");
  log_.clear();
  EXPECT_THROW(parameters_.SetXML(document, *context_, "", 64), com::ComError);
  EXPECT_EQ(tag_->value, com::Variant("changed"));
  EXPECT_TRUE(log_.empty());
}

}  // namespace
}  // namespace dtm::runtime
