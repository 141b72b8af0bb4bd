// Tree edits: clone, insert, remove, nodes of another document. Run under
// AddressSanitizer these also show that loose nodes are freed exactly once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xml/dom.h"
#include "tests/platform/xml/test_helpers.h"

namespace dtm::xml {
namespace {

using testing::RaisedBy;

std::vector<std::string> ChildNames(const Node& node) {
  std::vector<std::string> names;
  for (const Node& child : node.Children()) names.push_back(child.Name());
  return names;
}

using Names = std::vector<std::string>;

// A parent with three children, the usual place for edits.
class ThreeChildren : public ::testing::Test {
 protected:
  Document doc = Document::Parse(R"(<list><a n="1"/><b n="2"><deep/></b><c n="3"/></list>)");
  Node list = doc.DocumentElement();
  Node a = list.FirstChild("a");
  Node b = list.FirstChild("b");
  Node c = list.FirstChild("c");
};

TEST_F(ThreeChildren, InsertBeforeAReferencePutsTheNodeThere) {
  Node x = list.InsertBefore(doc.CreateElement("x"), b);
  EXPECT_EQ(ChildNames(list), (Names{"a", "x", "b", "c"}));
  EXPECT_EQ(x.Parent(), list);
}

TEST_F(ThreeChildren, InsertBeforeNullAppends) {
  list.InsertBefore(doc.CreateElement("x"), Node());
  EXPECT_EQ(ChildNames(list), (Names{"a", "b", "c", "x"}));
}

TEST_F(ThreeChildren, InsertingAChildOfTheTreeMovesIt) {
  Node moved = list.InsertBefore(c, a);
  EXPECT_EQ(moved, c);
  EXPECT_EQ(ChildNames(list), (Names{"c", "a", "b"}));
  b.AppendChild(a);
  EXPECT_EQ(list.Xml(), R"(<list><c n="3"/><b n="2"><deep/><a n="1"/></b></list>)");
}

TEST_F(ThreeChildren, InsertingBeforeItselfChangesNothing) {
  list.InsertBefore(b, b);
  EXPECT_EQ(ChildNames(list), (Names{"a", "b", "c"}));
}

TEST_F(ThreeChildren, AReferenceThatIsNoChildRaises) {
  Node deep = b.FirstChild("deep");
  auto error = RaisedBy([&] { list.InsertBefore(doc.CreateElement("x"), deep); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::kEInvalidArg);
  EXPECT_EQ(ChildNames(list), (Names{"a", "b", "c"}));
}

TEST_F(ThreeChildren, InsertingANodeBelowItselfRaises) {
  Node deep = b.FirstChild("deep");
  EXPECT_TRUE(RaisedBy([&] { deep.AppendChild(b); }));
  EXPECT_TRUE(RaisedBy([&] { b.AppendChild(b); }));
  EXPECT_EQ(list.Xml(), R"(<list><a n="1"/><b n="2"><deep/></b><c n="3"/></list>)");
}

TEST_F(ThreeChildren, RemovedNodeStaysUsableAndCanBeInsertedAgain) {
  Node removed = list.RemoveChild(b);
  EXPECT_EQ(removed, b);
  EXPECT_EQ(ChildNames(list), (Names{"a", "c"}));
  EXPECT_FALSE(removed.Parent());
  EXPECT_EQ(removed.Xml(), R"(<b n="2"><deep/></b>)");
  removed.SetAttribute("n", "20");
  removed.AddElement("more");
  EXPECT_EQ(removed.SelectNodes("*").size(), 2u);

  c.AppendChild(removed);
  EXPECT_EQ(list.Xml(), R"(<list><a n="1"/><c n="3"><b n="20"><deep/><more/></b></c></list>)");
  // Out again: once loose, twice loose, still freed once.
  c.RemoveChild(removed);
  EXPECT_EQ(c.Xml(), R"(<c n="3"/>)");
}

TEST_F(ThreeChildren, RemovedNodeOutlivesItsDocumentHandle) {
  Node removed = list.RemoveChild(b);
  doc = Document();
  list = a = b = c = Node();
  EXPECT_EQ(removed.FirstChild("deep").Name(), "deep");
}

TEST_F(ThreeChildren, RemovingANodeThatIsNoChildRaises) {
  Node deep = b.FirstChild("deep");
  auto error = RaisedBy([&] { list.RemoveChild(deep); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), com::kEInvalidArg);
  EXPECT_EQ(deep.Parent(), b);
}

TEST_F(ThreeChildren, DeepCloneIsAnIndependentCopy) {
  Node copy = b.CloneNode(true);
  EXPECT_FALSE(copy.Parent());
  EXPECT_EQ(copy.Xml(), R"(<b n="2"><deep/></b>)");
  copy.SetAttribute("n", "copy");
  copy.FirstChild("deep").AddElement("inner");
  EXPECT_EQ(b.Xml(), R"(<b n="2"><deep/></b>)");
  list.AppendChild(copy);
  EXPECT_EQ(ChildNames(list), (Names{"a", "b", "c", "b"}));
}

TEST_F(ThreeChildren, ShallowCloneKeepsAttributesButNoChildren) {
  EXPECT_EQ(b.CloneNode(false).Xml(), R"(<b n="2"/>)");
}

TEST_F(ThreeChildren, ACloneThatIsNeverInsertedIsFreedWithTheDocument) {
  for (int i = 0; i < 3; ++i) (void)list.CloneNode(true);
  (void)doc.CreateElement("never");
  EXPECT_EQ(ChildNames(list), (Names{"a", "b", "c"}));
}

TEST(ForeignNode, IsCopiedInAndTheSourceStaysUnchanged) {
  Document target = Document::Parse("<target/>");
  Document source = Document::Parse(R"(<source><item k="v"><sub/></item></source>)");
  Node item = source.DocumentElement().FirstChild("item");

  Node inserted = target.DocumentElement().AppendChild(item);
  EXPECT_FALSE(inserted == item);
  EXPECT_EQ(target.DocumentElement().Xml(), R"(<target><item k="v"><sub/></item></target>)");
  EXPECT_EQ(source.DocumentElement().Xml(), R"(<source><item k="v"><sub/></item></source>)");
  EXPECT_EQ(item.Parent().Name(), "source");

  // The copy belongs to the target: its edits show there only.
  inserted.SetAttribute("k", "changed");
  EXPECT_EQ(inserted.OwnerDocument().DocumentElement().Xml(),
            R"(<target><item k="changed"><sub/></item></target>)");
  EXPECT_EQ(item.Attribute("k"), "v");
}

TEST(ForeignNode, CanBeInsertedBeforeALocalReference) {
  Document target = Document::Parse("<t><last/></t>");
  Document source = Document::Parse("<first/>");
  Node t = target.DocumentElement();
  t.InsertBefore(source.DocumentElement(), t.FirstChild("last"));
  EXPECT_EQ(t.Xml(), "<t><first/><last/></t>");
}

TEST(ForeignNode, KeepsItsNamespace) {
  Document target = Document::Parse("<t/>");
  Document source = Document::Parse(R"(<s xmlns:p="urn:p"><p:v/></s>)");
  target.DocumentElement().AppendChild(source.DocumentElement().FirstChild("p:v"));
  EXPECT_EQ(target.DocumentElement().Xml(), R"(<t><p:v xmlns:p="urn:p"/></t>)");
}

TEST(NamespacedEdits, ARemovedNodeWritesTheDeclarationsItNeeds) {
  Document doc = Document::Parse(R"(<r xmlns:p="urn:p"><p:a p:x="1"/></r>)");
  Node removed = doc.DocumentElement().RemoveChild(doc.DocumentElement().FirstChild("p:a"));
  EXPECT_EQ(removed.Xml(), R"(<p:a xmlns:p="urn:p" p:x="1"/>)");
}

TEST(NamespacedEdits, AddElementReadsTheNameInTheParentsScope) {
  Document doc = Document::Parse(R"(<FDT xmlns="urn:d" xmlns:fdt="urn:f"/>)");
  Node root = doc.DocumentElement();
  root.AddElement("Plain");
  root.AddElement("fdt:Typed");
  // No xmlns="" and no repeated declarations: the names sit in the parent's namespaces.
  EXPECT_EQ(root.Xml(), R"(<FDT xmlns="urn:d" xmlns:fdt="urn:f"><Plain/><fdt:Typed/></FDT>)");
  EXPECT_TRUE(root.SelectSingleNode("fdt:Typed"));
}

TEST(NamespacedEdits, ACreatedPrefixedElementTakesTheNamespaceWhenInserted) {
  Document doc = Document::Parse(R"(<r xmlns:fdt="urn:f"/>)");
  Node created = doc.CreateElement("fdt:Value");
  doc.DocumentElement().AppendChild(created);
  EXPECT_EQ(doc.DocumentElement().Xml(), R"(<r xmlns:fdt="urn:f"><fdt:Value/></r>)");
  EXPECT_EQ(doc.DocumentElement().SelectSingleNode("fdt:Value"), created);
}

TEST(TextNodes, AdjacentTextIsNeverMergedAway) {
  Document doc = Document::Parse("<a>one</a>");
  Node a = doc.DocumentElement();
  Node one = a.SelectSingleNode("text()");
  Document other = Document::Parse("<b>two</b>");
  Node two = a.AppendChild(other.DocumentElement().SelectSingleNode("text()"));
  EXPECT_EQ(a.Text(), "onetwo");
  EXPECT_EQ(one.Text(), "one");
  EXPECT_EQ(two.Text(), "two");
}

}  // namespace
}  // namespace dtm::xml
