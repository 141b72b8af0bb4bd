// XSL transformations with libxslt.

#include <gtest/gtest.h>

#include <string>

#include "platform/xml/dom.h"
#include "tests/platform/xml/test_helpers.h"

namespace dtm::xml {
namespace {

using testing::RaisedBy;
using testing::TempPath;

constexpr const char* kParameters =
    R"(<FDT><Parameter name="Tag" value="PV-101"/><Parameter name="Unit" value="%"/></FDT>)";

std::string Sheet(const std::string& output, const std::string& body) {
  return R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">)" +
         output + body + "</xsl:stylesheet>";
}

TEST(Transform, HtmlOutputMethodWritesHtml) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(Sheet(
      R"(<xsl:output method="html" encoding="UTF-8" indent="no"/>)",
      R"(<xsl:template match="/FDT"><html><body><table>)"
      R"(<xsl:for-each select="Parameter"><tr><td><xsl:value-of select="@name"/></td>)"
      R"(<td><xsl:value-of select="@value"/></td></tr></xsl:for-each>)"
      R"(</table><br/></body></html></xsl:template>)"));
  // HTML, not XML: <br> has no end tag.
  EXPECT_EQ(data.TransformNode(sheet),
            "<html><body><table>"
            "<tr><td>Tag</td><td>PV-101</td></tr>"
            "<tr><td>Unit</td><td>%</td></tr>"
            "</table><br></body></html>\n");
}

TEST(Transform, XmlOutputMethodWritesXml) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(Sheet(
      R"(<xsl:output method="xml" omit-xml-declaration="yes"/>)",
      R"(<xsl:template match="/"><names><xsl:for-each select="FDT/Parameter">)"
      R"(<n><xsl:value-of select="@name"/></n><br/></xsl:for-each></names></xsl:template>)"));
  EXPECT_EQ(data.TransformNode(sheet), "<names><n>Tag</n><br/><n>Unit</n><br/></names>\n");
}

TEST(Transform, TheStylesheetAndTheDataStayUsable) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(Sheet(
      R"(<xsl:output method="text"/>)",
      R"x(<xsl:template match="/"><xsl:value-of select="count(FDT/Parameter)"/></xsl:template>)x"));
  EXPECT_EQ(data.TransformNode(sheet), "2");
  EXPECT_EQ(data.TransformNode(sheet), "2");
  EXPECT_EQ(sheet.DocumentElement().LocalName(), "stylesheet");
  EXPECT_EQ(data.DocumentElement().Xml(), kParameters);
}

TEST(Transform, StrippingSpaceLeavesTheSourceTreeAlone) {
  Document data = Document::Parse("<a><b/></a>");
  data.DocumentElement().FirstChild("b").SetText("  ");
  Node blank = data.DocumentElement().SelectSingleNode("b/text()");
  ASSERT_TRUE(blank);
  Document sheet = Document::Parse(Sheet(
      R"(<xsl:strip-space elements="*"/><xsl:output method="text"/>)",
      R"x(<xsl:template match="/"><xsl:value-of select="count(//text())"/></xsl:template>)x"));
  EXPECT_EQ(data.TransformNode(sheet), "0");
  EXPECT_EQ(blank.Text(), "  ");
  EXPECT_EQ(data.DocumentElement().Xml(), "<a><b>  </b></a>");
}

TEST(Transform, ANonStylesheetIsRejected) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse("<not-a-stylesheet/>");
  auto error = RaisedBy([&] { data.TransformNode(sheet); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::kEFail);
}

TEST(Transform, ABadExpressionInTheStylesheetIsRejected) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(
      Sheet("", R"(<xsl:template match="/"><xsl:value-of select="//["/></xsl:template>)"));
  EXPECT_TRUE(RaisedBy([&] { data.TransformNode(sheet); }));
}

TEST(Transform, ATerminatingMessageFailsTheTransformWithItsText) {
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(Sheet(
      "", R"(<xsl:template match="/"><xsl:message terminate="yes">no device</xsl:message></xsl:template>)"));
  auto error = RaisedBy([&] { data.TransformNode(sheet); });
  ASSERT_TRUE(error);
  EXPECT_NE(error->Description().find("no device"), std::string::npos) << error->Description();
}

TEST(Transform, WritingFilesIsForbidden) {
  const auto target = TempPath("xslt_written.txt");
  std::filesystem::remove(target);
  Document data = Document::Parse(kParameters);
  Document sheet = Document::Parse(
      R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform")"
      R"( xmlns:exsl="http://exslt.org/common" extension-element-prefixes="exsl">)"
      R"(<xsl:template match="/"><exsl:document href=")" +
      target.string() + R"(">x</exsl:document></xsl:template></xsl:stylesheet>)");
  EXPECT_TRUE(RaisedBy([&] { data.TransformNode(sheet); }));
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace dtm::xml
