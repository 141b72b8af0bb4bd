// Parsing, serialising, names, text and attributes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/xml/dom.h"
#include "tests/platform/xml/test_helpers.h"

namespace dtm::xml {
namespace {

using testing::RaisedBy;
using testing::TempPath;

struct RoundTrip {
  const char* name;
  const char* input;
  const char* element_xml;  // the document element's markup after parsing
};

const RoundTrip kRoundTrips[] = {
    {"EmptyElement", "<a/>", "<a/>"},
    {"AttributesInOrder", R"(<a z="1" b="2"/>)", R"(<a z="1" b="2"/>)"},
    {"EscapesStayEscaped", "<a x=\"&lt;&amp;&quot;\">1 &lt; 2 &amp; 3</a>",
     "<a x=\"&lt;&amp;&quot;\">1 &lt; 2 &amp; 3</a>"},
    {"IndentationIsDropped", "<a>\n  <b/>\n  <c>text</c>\n</a>", "<a><b/><c>text</c></a>"},
    {"Utf8Text", "<a t=\"Gerät\">Größe µ</a>", "<a t=\"Gerät\">Größe µ</a>"},
    {"DeclarationIsNotPartOfTheElement", "<?xml version=\"1.0\"?><a/>", "<a/>"},
    {"NamespacesKept", R"(<a xmlns="urn:d" xmlns:p="urn:p"><p:b/></a>)",
     R"(<a xmlns="urn:d" xmlns:p="urn:p"><p:b/></a>)"},
};

class ParsedDocument : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ParsedDocument, WritesBackItsMarkup) {
  Document doc;
  ASSERT_TRUE(doc.LoadXml(GetParam().input)) << doc.ParseError();
  EXPECT_EQ(doc.DocumentElement().Xml(), GetParam().element_xml);
  EXPECT_EQ(doc.Xml(), std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
                           GetParam().element_xml + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, ParsedDocument, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& i) { return std::string(i.param.name); });

struct Damage {
  const char* name;
  const char* input;
  const char* line_prefix;  // ParseError() starts with it
};

const Damage kDamages[] = {
    {"Empty", "", "line 1: "},
    {"Unclosed", "<a>\n<b>\n</a>", "line 3: "},
    {"TwoRoots", "<a/>\n<b/>", "line 2: "},
    {"BadAttribute", "<a x=1/>", "line 1: "},
    {"UndeclaredPrefix", "<a>\n<p:b/></a>", "line 2: "},
    {"TruncatedUtf8", "<a>\xC3</a>", "line 1: "},
};

class DamagedDocument : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedDocument, LoadXmlAnswersFalseWithLineAndMessage) {
  Document doc;
  EXPECT_FALSE(doc.LoadXml(GetParam().input));
  const std::string error = doc.ParseError();
  EXPECT_EQ(error.rfind(GetParam().line_prefix, 0), 0u) << error;
  EXPECT_GT(error.size(), std::string(GetParam().line_prefix).size()) << "no message";
  EXPECT_FALSE(doc.DocumentElement());
}

TEST_P(DamagedDocument, ParseRaisesWithTheMessage) {
  const std::string input = GetParam().input;
  auto error = RaisedBy([&] { Document::Parse(input); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::kEFail);
  EXPECT_NE(error->Description().find(GetParam().line_prefix), std::string::npos)
      << error->Description();
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedDocument, ::testing::ValuesIn(kDamages),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(DocumentLoad, AGoodLoadAfterABadOneClearsTheError) {
  Document doc;
  ASSERT_FALSE(doc.LoadXml("<a>"));
  ASSERT_TRUE(doc.LoadXml("<b/>"));
  EXPECT_EQ(doc.ParseError(), "");
  EXPECT_EQ(doc.DocumentElement().Name(), "b");
}

TEST(DocumentLoad, AnExternalEntityIsNeitherFetchedNorExpanded) {
  const auto secret = TempPath("entity_secret.txt");
  std::ofstream(secret) << "SECRET";
  const std::string text = "<!DOCTYPE a [<!ENTITY e SYSTEM \"file://" + secret.string() +
                           "\">]><a>&e;</a>";
  Document doc;
  ASSERT_TRUE(doc.LoadXml(text)) << doc.ParseError();
  EXPECT_EQ(doc.DocumentElement().Text().find("SECRET"), std::string::npos);
  std::filesystem::remove(secret);
}

TEST(DocumentFile, SaveThenLoadGivesTheSameDocument) {
  const auto file = TempPath("save_test.xml");
  Document doc = Document::Parse("<a x=\"ä\"><b>1</b></a>");
  doc.Save(file);
  Document again;
  ASSERT_TRUE(again.Load(file)) << again.ParseError();
  EXPECT_EQ(again.Xml(), doc.Xml());
  std::filesystem::remove(file);
}

TEST(DocumentFile, AMissingFileAnswersFalseWithAReason) {
  Document doc;
  EXPECT_FALSE(doc.Load("/nonexistent/vd_xml/none.xml"));
  EXPECT_FALSE(doc.ParseError().empty());
}

TEST(DocumentFile, SaveToAnUnwritablePlaceRaises) {
  Document doc = Document::Parse("<a/>");
  EXPECT_TRUE(RaisedBy([&] { doc.Save("/nonexistent/vd_xml/out.xml"); }));
}

TEST(NodeNames, PrefixIsPartOfTheNameButNotOfTheLocalName) {
  Document doc = Document::Parse(R"(<r xmlns:fdt="urn:f"><fdt:Value fdt:unit="%"/><Plain/></r>)");
  Node value = doc.DocumentElement().Children()[0];
  EXPECT_EQ(value.Name(), "fdt:Value");
  EXPECT_EQ(value.LocalName(), "Value");
  EXPECT_EQ(value.Attribute("fdt:unit"), "%");
  EXPECT_EQ(value.Attribute("unit"), std::nullopt);
  Node plain = doc.DocumentElement().Children()[1];
  EXPECT_EQ(plain.Name(), "Plain");
  EXPECT_EQ(plain.LocalName(), "Plain");
  EXPECT_EQ(doc.AsNode().Name(), "#document");
}

TEST(NodeText, IsTheTextOfEverythingBelow) {
  Document doc = Document::Parse("<a>one<b>two</b><c><d>three</d></c></a>");
  EXPECT_EQ(doc.DocumentElement().Text(), "onetwothree");
  EXPECT_EQ(doc.DocumentElement().FirstChild("c").Text(), "three");
}

TEST(NodeText, SetTextIsStoredVerbatimAndEscapedOnOutput) {
  Document doc = Document::Parse("<a>old</a>");
  Node a = doc.DocumentElement();
  a.SetText("x < y & &amp;");
  EXPECT_EQ(a.Text(), "x < y & &amp;");
  EXPECT_EQ(a.Xml(), "<a>x &lt; y &amp; &amp;amp;</a>");
}

TEST(NodeText, SetTextReplacesChildElements) {
  Document doc = Document::Parse("<a><b>1</b><c/></a>");
  Node a = doc.DocumentElement();
  Node b = a.FirstChild("b");
  a.SetText("plain");
  EXPECT_EQ(a.Xml(), "<a>plain</a>");
  // The old child still answers: it was cut loose, not freed.
  EXPECT_EQ(b.Xml(), "<b>1</b>");
  EXPECT_FALSE(b.Parent());
}

TEST(NodeAttributes, ReadSetAndRemove) {
  Document doc = Document::Parse(R"(<e key="~/Tag" text="a&amp;b" empty=""/>)");
  Node e = doc.DocumentElement();
  EXPECT_EQ(e.Attribute("key"), "~/Tag");
  EXPECT_EQ(e.Attribute("text"), "a&b");
  EXPECT_EQ(e.Attribute("empty"), "");
  EXPECT_EQ(e.Attribute("absent"), std::nullopt);

  e.SetAttribute("text", "new \"value\" <>");
  e.SetAttribute("added", "1");
  EXPECT_EQ(e.Attribute("text"), "new \"value\" <>");
  // An existing attribute keeps its place; a new one goes last.
  EXPECT_EQ(e.Xml(), R"(<e key="~/Tag" text="new &quot;value&quot; &lt;&gt;" empty="" added="1"/>)");

  EXPECT_TRUE(e.RemoveAttribute("key"));
  EXPECT_FALSE(e.RemoveAttribute("key"));
  EXPECT_EQ(e.Attribute("key"), std::nullopt);
  EXPECT_EQ(e.Xml(), R"(<e text="new &quot;value&quot; &lt;&gt;" empty="" added="1"/>)");
}

TEST(NodeAttributes, ListHoldsNamespaceDeclarationsAndAttributes) {
  Document doc = Document::Parse(R"(<e xmlns="urn:d" xmlns:p="urn:p" a="1" p:b="2"/>)");
  using List = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(doc.DocumentElement().Attributes(),
            (List{{"xmlns", "urn:d"}, {"xmlns:p", "urn:p"}, {"a", "1"}, {"p:b", "2"}}));
  EXPECT_EQ(doc.DocumentElement().Attribute("xmlns:p"), "urn:p");
}

TEST(NodeAttributes, APrefixedNameTakesTheNamespaceInScope) {
  Document doc = Document::Parse(R"(<e xmlns:fdt="urn:f"/>)");
  Node e = doc.DocumentElement();
  e.SetAttribute("fdt:unit", "bar");
  EXPECT_EQ(e.SelectSingleNode("@fdt:unit").Text(), "bar");
}

TEST(NodeAttributes, AnInvalidNameRaises) {
  Document doc = Document::Parse("<e/>");
  Node e = doc.DocumentElement();
  EXPECT_TRUE(RaisedBy([&] { e.SetAttribute("a b", "1"); }));
  EXPECT_TRUE(RaisedBy([&] { e.SetAttribute("", "1"); }));
}

TEST(NullNode, TestsFalseAndRaisesObjectVariableNotSet) {
  Node none;
  EXPECT_FALSE(none);
  auto error = RaisedBy([&] { (void)none.Name(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::vb::kObjectVariableNotSet);
  EXPECT_TRUE(RaisedBy([&] { (void)none.SelectNodes("*"); }));
}

TEST(NewDocument, BuiltFromCreatedElements) {
  Document doc;
  EXPECT_FALSE(doc.DocumentElement());
  Node root = doc.CreateElement("FDT");
  root.SetAttribute("version", "1.2");
  doc.SetDocumentElement(root);
  root.AddElement("DtmInfo").SetAttribute("name", "VD 4625");
  EXPECT_EQ(doc.Xml(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<FDT version=\"1.2\"><DtmInfo name=\"VD 4625\"/></FDT>\n");
}

TEST(NewDocument, ReplacingTheDocumentElementKeepsTheOldOneUsable) {
  Document doc = Document::Parse("<old><x/></old>");
  Node old = doc.DocumentElement();
  doc.SetDocumentElement(doc.CreateElement("new"));
  EXPECT_EQ(doc.DocumentElement().Name(), "new");
  EXPECT_EQ(old.Xml(), "<old><x/></old>");
}

TEST(NewDocument, ASecondTopLevelElementRaises) {
  Document doc = Document::Parse("<a/>");
  EXPECT_TRUE(RaisedBy([&] { doc.AsNode().AddElement("b"); }));
  EXPECT_TRUE(RaisedBy([&] { doc.AsNode().AppendChild(doc.CreateElement("b")); }));
  EXPECT_EQ(doc.DocumentElement().Xml(), "<a/>");
}

TEST(NodeLifetime, ANodeKeepsItsDocumentAlive) {
  Node b;
  {
    Document doc = Document::Parse("<a><b v=\"1\"/></a>");
    b = doc.DocumentElement().FirstChild("b");
  }
  EXPECT_EQ(b.Attribute("v"), "1");
  EXPECT_EQ(b.Parent().Name(), "a");
  EXPECT_EQ(b.OwnerDocument().DocumentElement().Name(), "a");
}

TEST(NodeLifetime, LoadingAgainLeavesOldNodesOnTheOldTree) {
  Document doc = Document::Parse("<a><b/></a>");
  Node b = doc.DocumentElement().FirstChild("b");
  ASSERT_TRUE(doc.LoadXml("<c/>"));
  EXPECT_EQ(b.Parent().Name(), "a");
  EXPECT_EQ(doc.DocumentElement().Name(), "c");
}

}  // namespace
}  // namespace dtm::xml
