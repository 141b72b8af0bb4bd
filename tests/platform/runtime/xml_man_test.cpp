// The runtime's XML helpers.

#include "platform/runtime/xml_man.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com/error.h"

namespace dtm::runtime {
namespace {

class XmlManHelpers : public ::testing::Test {
 protected:
  XMLMan xml_man_;
  xml::Document doc_ = xml::Document::Parse(R"(<Parameter name="Tag" unit=""/>)");
  xml::Node node_ = doc_.DocumentElement();
};

TEST_F(XmlManHelpers, GetAttributeAnswersAStringOrEmpty) {
  EXPECT_EQ(xml_man_.GetAttribute("name", node_), com::Variant(std::string("Tag")));
  EXPECT_EQ(xml_man_.GetAttribute("unit", node_), com::Variant(std::string("")));
  EXPECT_TRUE(xml_man_.GetAttribute("absent", node_).IsEmpty());
  EXPECT_TRUE(xml_man_.GetAttribute("name", xml::Node()).IsEmpty());
}

struct Written {
  const char* name;
  com::Variant value;
  const char* text;
};

const Written kWrites[] = {
    {"String", com::Variant(std::string("PV-101")), "PV-101"},
    {"Long", com::Variant(std::int32_t{-42}), "-42"},
    {"Byte", com::Variant(std::uint8_t{200}), "200"},
    {"Boolean", com::Variant(true), "True"},
    {"Empty", com::Variant(), ""},
};

class XmlManSetAttribute : public XmlManHelpers, public ::testing::WithParamInterface<Written> {};

TEST_P(XmlManSetAttribute, WritesTheValuesText) {
  xml_man_.SetAttribute("value", GetParam().value, node_);
  EXPECT_EQ(node_.Attribute("value"), GetParam().text);
  xml_man_.PutAttribute("other", GetParam().value, node_);
  EXPECT_EQ(node_.Attribute("other"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, XmlManSetAttribute, ::testing::ValuesIn(kWrites),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(XmlManHelpers, SetAttributeReplacesAnExistingValue) {
  xml_man_.SetAttribute("name", com::Variant(std::string("New")), node_);
  EXPECT_EQ(node_.Xml(), R"(<Parameter name="New" unit=""/>)");
}

TEST_F(XmlManHelpers, NullRaisesAndLeavesTheNodeUnchanged) {
  try {
    xml_man_.SetAttribute("name", com::Variant::Null(), node_);
    FAIL() << "no error";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.Number(), com::vb::kInvalidUseOfNull);
  }
  EXPECT_EQ(node_.Attribute("name"), "Tag");
}

TEST_F(XmlManHelpers, NothingRaisesObjectVariableNotSet) {
  for (auto call : {+[](XMLMan& m) { m.SetAttribute("a", com::Variant(1), xml::Node()); },
                    +[](XMLMan& m) { m.AddChildNode("a", xml::Node()); }}) {
    try {
      call(xml_man_);
      ADD_FAILURE() << "no error";
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.Number(), com::vb::kObjectVariableNotSet);
    }
  }
}

TEST_F(XmlManHelpers, AddChildNodeAppendsAnElement) {
  xml::Node first = xml_man_.AddChildNode("Value", node_);
  xml_man_.AddChildNode("Unit", node_);
  first.SetText("12.5");
  EXPECT_EQ(node_.Xml(), R"(<Parameter name="Tag" unit=""><Value>12.5</Value><Unit/></Parameter>)");
}

TEST_F(XmlManHelpers, LoadXmlAnswersWhetherItParsed) {
  xml::Document doc;
  EXPECT_TRUE(xml_man_.LoadXML(doc, "<a/>"));
  EXPECT_EQ(doc.DocumentElement().Name(), "a");
  EXPECT_FALSE(xml_man_.LoadXML(doc, "<a>"));
  EXPECT_FALSE(doc.ParseError().empty());
}

}  // namespace
}  // namespace dtm::runtime
