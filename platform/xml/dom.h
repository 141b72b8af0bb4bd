#pragma once
// The XML DOM the system uses, on libxml2 and libxslt: documents, element
// nodes with attributes, XPath selection, and the tree edits of the MSXML 3
// DOM (cloneNode, insertBefore, removeChild). A Node is a handle that keeps
// its document alive; a null Node tests false, as Nothing does.
// Text is UTF-8 throughout. Raw libxml2 pointers never leave this folder.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dtm::xml {

// The namespace that the prefix "fdt" stands for in XPath expressions (the
// FDT data types namespace), unless the document binds "fdt" itself.
inline constexpr const char* kFdtNamespace = "x-schema:FDTDataTypesSchema.xml";

class Document;
struct DocumentImpl;
struct ParserImpl;

class Node {
 public:
  Node() = default;
  explicit operator bool() const { return node_ != nullptr; }

  std::string Name() const;        // nodeName, with prefix ("fdt:Value")
  std::string LocalName() const;   // without prefix
  // Text content (nodeValue of its text): the concatenated text below it.
  std::string Text() const;
  long Line() const;  // the line of the source text the node started on; 0 when unknown
  void SetText(const std::string& text);

  std::optional<std::string> Attribute(const std::string& name) const;  // getNamedItem
  void SetAttribute(const std::string& name, const std::string& value);
  bool RemoveAttribute(const std::string& name);
  std::vector<std::pair<std::string, std::string>> Attributes() const;

  // XPath 1.0 relative to this node. Prefixes declared on the document
  // element (and "fdt" for the FDT namespaces) resolve. A bad expression
  // raises ComError.
  Node SelectSingleNode(const std::string& xpath) const;
  std::vector<Node> SelectNodes(const std::string& xpath) const;

  std::vector<Node> Children() const;  // element children in order
  Node FirstChild(const std::string& name) const;  // first element child of that name, or null
  Node Parent() const;                 // null for the document element
  Document OwnerDocument() const;

  // Tree edits. `child` may come from another document; it is then copied
  // in. Each returns the node as it now stands in this tree.
  Node AppendChild(const Node& child);
  Node InsertBefore(const Node& child, const Node& reference);  // null reference appends
  Node RemoveChild(const Node& child);  // the removed node stays usable
  Node CloneNode(bool deep) const;
  // Creates an element child with that name at the end. The name is read in
  // this node's scope: a prefix, or a plain name, takes the namespace it has here.
  Node AddElement(const std::string& name);

  std::string Xml() const;  // the node's markup

  friend bool operator==(const Node& a, const Node& b) { return a.node_ == b.node_; }

 private:
  friend class Document;
  friend struct DocumentImpl;
  Node(std::shared_ptr<DocumentImpl> doc, void* node) : doc_(std::move(doc)), node_(node) {}
  std::shared_ptr<DocumentImpl> doc_;
  void* node_ = nullptr;  // xmlNode*
};

class Document {
 public:
  Document();  // a new, empty document

  // MSXML's loadXML: false on a parse error, with the reason in ParseError()
  // ("line N: message") and the document empty. A load gives this Document
  // a new tree; Nodes and Document copies taken before keep the old one.
  bool LoadXml(const std::string& text);
  bool Load(const std::filesystem::path& file);
  const std::string& ParseError() const;
  // Parse or raise ComError with the parser's message.
  static Document Parse(const std::string& text);

  Node DocumentElement() const;  // null when empty
  Node AsNode() const;           // the document node itself ("#document")
  Node CreateElement(const std::string& name);
  void SetDocumentElement(const Node& root);

  std::string Xml() const;  // with the XML declaration
  // The same, one element a line, indented by two blanks a level where an
  // element holds only elements (libxml2's formatter; text stays as it is).
  std::string IndentedXml() const;
  void Save(const std::filesystem::path& file) const;  // raises ComError on failure

  // XSL transformation of this document with `stylesheet`; the result as
  // text (its output method decides: html or xml). Raises ComError when the
  // stylesheet is rejected or the transformation fails.
  std::string TransformNode(const Document& stylesheet) const;

  Node SelectSingleNode(const std::string& xpath) const;
  std::vector<Node> SelectNodes(const std::string& xpath) const;

 private:
  friend class Node;
  friend class Parser;
  explicit Document(std::shared_ptr<DocumentImpl> impl) : impl_(std::move(impl)) {}
  std::shared_ptr<DocumentImpl> impl_;
};

// A parser kept for a run of documents: libxml2's parser state is set up
// once, not once a document, which is what a small document mostly costs.
// Each parse starts afresh: nothing one document leaves behind (an error, a
// half-built tree) reaches the next, and a tree it gave stays valid after
// the parser is gone. One parse at a time; not copyable.
class Parser {
 public:
  Parser();
  ~Parser();
  Parser(Parser&&) noexcept;
  Parser& operator=(Parser&&) noexcept;

  // As Document::LoadXml: the document, or nullopt with the reason in
  // ParseError() ("line N: message").
  std::optional<Document> Parse(const std::string& text);
  const std::string& ParseError() const { return parse_error_; }

 private:
  std::unique_ptr<ParserImpl> impl_;  // set up at the first parse
  std::string parse_error_;
};

}  // namespace dtm::xml
