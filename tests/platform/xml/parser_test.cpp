// A parser kept for a run of documents: each parse stands on its own, and
// the trees it gave stay valid.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/xml/dom.h"

namespace dtm::xml {
namespace {

// What a document leaves in the parser must not decide the next parse.
struct Sequence {
  const char* name;
  const char* first;
  bool first_loads;
  const char* second;
  bool second_loads;
};

const Sequence kSequences[] = {
    {"GoodAfterUnclosed", "<a>\n<b>", false, R"(<c x="1"/>)", true},
    {"GoodAfterTwoRoots", "<a/><b/>", false, R"(<c x="1"/>)", true},
    {"GoodAfterUndeclaredPrefix", "<a><p:b/></a>", false, R"(<c x="1"/>)", true},
    {"GoodAfterTruncatedUtf8", "<a>\xC3</a>", false, R"(<c x="1"/>)", true},
    {"GoodAfterEmpty", "", false, R"(<c x="1"/>)", true},
    // Declarations of one document are not known to the next.
    {"EntityOfTheLastDocument", R"(<!DOCTYPE a [<!ENTITY e "1">]><a>&e;</a>)", true,
     "<c>&e;</c>", false},
    {"PrefixOfTheLastDocument", R"(<a xmlns:p="urn:p"><p:b/></a>)", true, "<p:c/>", false},
};

class KeptParser : public ::testing::TestWithParam<Sequence> {};

TEST_P(KeptParser, ReadsEachDocumentOnItsOwn) {
  Parser parser;
  const std::optional<Document> first = parser.Parse(GetParam().first);
  EXPECT_EQ(first.has_value(), GetParam().first_loads) << parser.ParseError();
  const std::optional<Document> second = parser.Parse(GetParam().second);
  ASSERT_EQ(second.has_value(), GetParam().second_loads) << parser.ParseError();
  if (second) {
    EXPECT_EQ(parser.ParseError(), "");
    EXPECT_EQ(second->DocumentElement().Name(), "c");
    EXPECT_EQ(second->DocumentElement().Attribute("x"), "1");
  } else {
    EXPECT_EQ(parser.ParseError().rfind("line 1: ", 0), 0u) << parser.ParseError();
  }
}

INSTANTIATE_TEST_SUITE_P(Table, KeptParser, ::testing::ValuesIn(kSequences),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(KeptParserError, TellsTheLineAsLoadXmlDoes) {
  Parser parser;
  EXPECT_FALSE(parser.Parse("<a>\n<b>\n</a>"));
  EXPECT_EQ(parser.ParseError().rfind("line 3: ", 0), 0u) << parser.ParseError();
}

TEST(KeptParserTrees, OutliveTheParser) {
  std::optional<Document> first;
  std::optional<Document> second;
  {
    Parser parser;
    first = parser.Parse(R"(<a x="one"><b>text</b></a>)");
    second = parser.Parse(R"(<a x="two"/>)");
  }
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->DocumentElement().Attribute("x"), "one");
  EXPECT_EQ(first->DocumentElement().FirstChild("b").Text(), "text");
  EXPECT_EQ(second->DocumentElement().Attribute("x"), "two");
  // A tree from the kept parser takes edits like any other.
  first->DocumentElement().AddElement("c").SetAttribute("y", "3");
  EXPECT_EQ(first->DocumentElement().Xml(), R"(<a x="one"><b>text</b><c y="3"/></a>)");
}

// Names and short values pile up in the parser; it starts afresh now and
// then, and the trees it gave before must not notice.
TEST(KeptParserTrees, SurviveManyDifferentNames) {
  Parser parser;
  std::vector<Document> kept;
  for (int i = 0; i < 6000; ++i) {
    const std::string n = std::to_string(i);
    std::optional<Document> doc = parser.Parse("<e" + n + " v=\"w" + n + "\"/>");
    ASSERT_TRUE(doc) << parser.ParseError();
    if (i % 1000 == 0) kept.push_back(std::move(*doc));
  }
  ASSERT_EQ(kept.size(), 6u);
  const char* const names[] = {"e0", "e1000", "e2000", "e3000", "e4000", "e5000"};
  const char* const values[] = {"w0", "w1000", "w2000", "w3000", "w4000", "w5000"};
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i].DocumentElement().Name(), names[i]);
    EXPECT_EQ(kept[i].DocumentElement().Attribute("v"), values[i]);
  }
}

}  // namespace
}  // namespace dtm::xml
