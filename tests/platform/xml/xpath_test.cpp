// XPath selection: relative paths, prefixes and their registration, errors.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xml/dom.h"
#include "tests/platform/xml/test_helpers.h"

namespace dtm::xml {
namespace {

using testing::RaisedBy;

// The "n" attribute of each node, in document order.
std::vector<std::string> Numbers(const std::vector<Node>& nodes) {
  std::vector<std::string> result;
  for (const Node& node : nodes) result.push_back(node.Attribute("n").value_or("-"));
  return result;
}

using Strings = std::vector<std::string>;

constexpr const char* kDocument =
    R"(<FDT xmlns:fdt="x-schema:FDTDataTypesSchema.xml" xmlns:app="urn:app">)"
    R"(<fdt:Value n="1"/><Value n="2"/><app:Item n="3"/>)"
    R"(<Group n="g"><fdt:Value n="4"/><Value n="5"/></Group></FDT>)";

struct Selection {
  const char* name;
  const char* from;  // XPath to the context node, from the document element; "" = itself
  const char* xpath;
  Strings numbers;
};

const Selection kSelections[] = {
    {"PlainNameMeansNoNamespace", "", "Value", {"2"}},
    {"FdtPrefix", "", "fdt:Value", {"1"}},
    {"DescendantsWithPrefix", "", "//fdt:Value", {"1", "4"}},
    {"OtherDeclaredPrefix", "", "app:Item", {"3"}},
    {"Predicate", "", "*[@n > 2]", {"3"}},
    {"RelativeToAChild", "Group", "fdt:Value", {"4"}},
    {"ParentAxis", "Group/Value", "../fdt:Value", {"4"}},
    {"AbsoluteFromAChild", "Group", "/FDT/Value", {"2"}},
    {"NothingSelected", "", "Missing", {}},
    {"AttributeValueTest", "", "*[@n = 'g']", {"g"}},
};

class XPathSelection : public ::testing::TestWithParam<Selection> {
 protected:
  Document doc = Document::Parse(kDocument);
  Node Context() const {
    const std::string from = GetParam().from;
    return from.empty() ? doc.DocumentElement() : doc.DocumentElement().SelectSingleNode(from);
  }
};

TEST_P(XPathSelection, SelectNodesAnswersTheNodesInDocumentOrder) {
  EXPECT_EQ(Numbers(Context().SelectNodes(GetParam().xpath)), GetParam().numbers);
}

TEST_P(XPathSelection, SelectSingleNodeAnswersTheFirstOrNull) {
  Node first = Context().SelectSingleNode(GetParam().xpath);
  if (GetParam().numbers.empty()) {
    EXPECT_FALSE(first);
  } else {
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Attribute("n"), GetParam().numbers.front());
  }
}

INSTANTIATE_TEST_SUITE_P(Table, XPathSelection, ::testing::ValuesIn(kSelections),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(XPathPrefixes, FdtResolvesWithoutADeclarationOnTheDocument) {
  Document doc = Document::Parse(
      R"(<r><v xmlns="x-schema:FDTDataTypesSchema.xml" n="1"/><v n="2"/></r>)");
  EXPECT_EQ(Numbers(doc.DocumentElement().SelectNodes("fdt:v")), (Strings{"1"}));
}

TEST(XPathPrefixes, TheDocumentsOwnFdtBindingWins) {
  Document doc = Document::Parse(
      R"(<r xmlns:fdt="urn:other"><fdt:v n="1"/><v xmlns="x-schema:FDTDataTypesSchema.xml" n="2"/></r>)");
  EXPECT_EQ(Numbers(doc.DocumentElement().SelectNodes("fdt:v")), (Strings{"1"}));
}

TEST(XPathPrefixes, DocumentSelectionStartsAtTheDocumentNode) {
  Document doc = Document::Parse(kDocument);
  EXPECT_EQ(doc.SelectSingleNode("FDT/Group").Attribute("n"), "g");
  EXPECT_EQ(doc.SelectNodes("//app:Item").size(), 1u);
}

TEST(XPathResults, AttributesAndTextAreNodesToo) {
  Document doc = Document::Parse(R"(<a unit="bar">12.5</a>)");
  Node unit = doc.DocumentElement().SelectSingleNode("@unit");
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit.Name(), "unit");
  EXPECT_EQ(unit.Text(), "bar");
  EXPECT_EQ(unit.Xml(), R"(unit="bar")");
  EXPECT_EQ(doc.DocumentElement().SelectSingleNode("text()").Text(), "12.5");
}

TEST(XPathResults, NamespaceNodesAreLeftOut) {
  Document doc = Document::Parse(kDocument);
  EXPECT_TRUE(doc.DocumentElement().SelectNodes("namespace::*").empty());
}

struct BadXPath {
  const char* name;
  const char* xpath;
};

const BadXPath kBadXPaths[] = {
    {"EmptyStep", "//["},
    {"DanglingPrefix", "fdt:"},
    {"UnknownPrefix", "nope:Value"},
    {"UnclosedCall", "count("},
    {"UnknownFunction", "frobnicate()"},
    {"NotANodeSet", "count(*)"},
};

class XPathError : public ::testing::TestWithParam<BadXPath> {};

TEST_P(XPathError, RaisesEFailNamingTheExpression) {
  Document doc = Document::Parse(kDocument);
  const std::string xpath = GetParam().xpath;
  auto error = RaisedBy([&] { doc.DocumentElement().SelectNodes(xpath); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::kEFail);
  EXPECT_NE(error->Description().find(xpath), std::string::npos) << error->Description();
}

INSTANTIATE_TEST_SUITE_P(Table, XPathError, ::testing::ValuesIn(kBadXPaths),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(XPathErrorText, CarriesTheLibraryMessage) {
  Document doc = Document::Parse("<a/>");
  auto error = RaisedBy([&] { doc.DocumentElement().SelectSingleNode("//["); });
  ASSERT_TRUE(error);
  EXPECT_NE(error->Description().find("Invalid expression"), std::string::npos)
      << error->Description();
}

TEST(XPathErrorText, AFailedQueryLeavesTheNextOneClean) {
  Document doc = Document::Parse("<a><b/></a>");
  EXPECT_TRUE(RaisedBy([&] { doc.DocumentElement().SelectSingleNode("]["); }));
  EXPECT_TRUE(doc.DocumentElement().SelectSingleNode("b"));
}

}  // namespace
}  // namespace dtm::xml
