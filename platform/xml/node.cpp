// Nodes: names, text, attributes, selection and the tree edits.

#include "platform/com/error.h"
#include "platform/xml/impl.h"

namespace dtm::xml {

namespace {

xmlNode* Need(const Node& node) {
  xmlNode* raw = DocumentImpl::Raw(node);
  if (!raw) com::ThrowObjectVariableNotSet();
  return raw;
}

xmlNode* NeedElement(const Node& node, const char* operation) {
  xmlNode* raw = Need(node);
  if (raw->type != XML_ELEMENT_NODE) {
    throw com::ComError(com::kEFail, std::string(operation) + " needs an element node");
  }
  return raw;
}

// Nodes that can hold children (elements, the document).
bool IsContainer(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
         node->type == XML_DOCUMENT_FRAG_NODE;
}

std::string QualifiedName(const xmlChar* name, const xmlNs* ns) {
  if (ns && ns->prefix) return S(ns->prefix) + ":" + S(name);
  return S(name);
}

std::string QualifiedName(const xmlAttr* attr) { return QualifiedName(attr->name, attr->ns); }

void CheckName(const std::string& name, const char* what) {
  if (xmlValidateQName(X(name), 0) != 0) {
    throw com::ComError(com::kEFail, std::string("Invalid ") + what + " name '" + name + "'");
  }
}

bool IsNamespaceDeclaration(const std::string& name) {
  return name == "xmlns" || name.rfind("xmlns:", 0) == 0;
}

const xmlChar* DeclaredPrefix(const std::string& name) {
  return name == "xmlns" ? nullptr : X(name) + 6;
}

xmlNs* FindDeclaration(xmlNode* element, const std::string& name) {
  const xmlChar* prefix = DeclaredPrefix(name);
  for (xmlNs* ns = element->nsDef; ns; ns = ns->next) {
    if (xmlStrEqual(ns->prefix, prefix)) return ns;
  }
  return nullptr;
}

xmlAttr* FindAttribute(xmlNode* element, const std::string& name) {
  for (xmlAttr* attr = element->properties; attr; attr = attr->next) {
    if (QualifiedName(attr) == name) return attr;
  }
  return nullptr;
}

std::string AttributeValue(xmlAttr* attr) {
  return TakeString(xmlNodeGetContent(reinterpret_cast<xmlNode*>(attr)));
}

// Links an unlinked `child` under `parent` before `before` (or last). Done
// by hand because libxml2's own insertions merge adjacent text nodes and
// free one of them, which would leave a handle dangling.
void Link(xmlNode* parent, xmlNode* child, xmlNode* before) {
  child->parent = parent;
  if (before) {
    child->next = before;
    child->prev = before->prev;
    if (before->prev) {
      before->prev->next = child;
    } else {
      parent->children = child;
    }
    before->prev = child;
  } else {
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last) {
      parent->last->next = child;
    } else {
      parent->children = child;
    }
    parent->last = child;
  }
}

// Points `owner`'s namespace reference at a declaration in scope, adding
// one on `top` (or on the node itself) when the new place lacks it, so a
// moved or removed subtree still writes out its namespaces.
void RebindNamespace(xmlNode* top, xmlNode* element, xmlNs*& ns) {
  if (!ns || !ns->href) return;
  if (xmlStrEqual(ns->href, reinterpret_cast<const xmlChar*>(XML_XML_NAMESPACE))) return;
  xmlNs* found = xmlSearchNs(element->doc, element, ns->prefix);
  if (found && xmlStrEqual(found->href, ns->href)) {
    ns = found;
    return;
  }
  xmlNs* declared = found ? nullptr : xmlNewNs(top, ns->href, ns->prefix);
  if (!declared) declared = xmlNewNs(element, ns->href, ns->prefix);
  if (declared) ns = declared;
}

// An element named with a prefix ("fdt:Value") before the prefix was in
// scope takes its namespace once it is.
void ResolvePrefix(xmlNode* element) {
  if (element->ns) return;
  const std::string name = S(element->name);
  const auto colon = name.find(':');
  if (colon == std::string::npos) return;
  xmlNs* found = xmlSearchNs(element->doc, element, X(name.substr(0, colon)));
  if (!found) return;
  xmlNodeSetName(element, X(name.substr(colon + 1)));
  element->ns = found;
}

void FixNamespaces(xmlNode* top) {
  for (xmlNode* node = top; node;) {
    if (node->type == XML_ELEMENT_NODE) {
      ResolvePrefix(node);
      RebindNamespace(top, node, node->ns);
      for (xmlAttr* attr = node->properties; attr; attr = attr->next) {
        RebindNamespace(top, node, attr->ns);
      }
    }
    // Depth first over the subtree of `top` only.
    if (node->type == XML_ELEMENT_NODE && node->children) {
      node = node->children;
      continue;
    }
    while (node != top && !node->next) node = node->parent;
    if (node == top) break;
    node = node->next;
  }
}

bool IsAncestorOrSelf(const xmlNode* candidate, const xmlNode* node) {
  for (; node; node = node->parent) {
    if (node == candidate) return true;
  }
  return false;
}

}  // namespace

std::string Node::Name() const {
  xmlNode* raw = Need(*this);
  switch (raw->type) {
    case XML_ELEMENT_NODE:
      return QualifiedName(raw->name, raw->ns);
    case XML_ATTRIBUTE_NODE:
      return QualifiedName(reinterpret_cast<xmlAttr*>(raw));
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      return S(raw->name);
  }
}

std::string Node::LocalName() const {
  xmlNode* raw = Need(*this);
  if (raw->type != XML_ELEMENT_NODE && raw->type != XML_ATTRIBUTE_NODE &&
      raw->type != XML_PI_NODE) {
    return "";
  }
  std::string name = S(raw->name);
  // A prefixed name whose prefix was never resolved keeps it in the name.
  if (!raw->ns) {
    if (auto colon = name.find(':'); colon != std::string::npos) return name.substr(colon + 1);
  }
  return name;
}

std::string Node::Text() const { return TakeString(xmlNodeGetContent(Need(*this))); }

long Node::Line() const {
  const long line = xmlGetLineNo(Need(*this));
  return line > 0 ? line : 0;
}

void Node::SetText(const std::string& text) {
  xmlNode* raw = Need(*this);
  const int length = static_cast<int>(text.size());
  if (raw->type == XML_ATTRIBUTE_NODE) {
    // An attribute's text children are never handed out: free them.
    xmlFreeNodeList(raw->children);
    raw->children = raw->last = nullptr;
    xmlNode* node = xmlNewDocTextLen(raw->doc, X(text), length);
    if (!node) throw com::ComError(com::kEFail, "Out of memory setting text");
    Link(raw, node, nullptr);
    return;
  }
  if (IsContainer(raw)) {
    xmlNode* only = raw->children;
    if (only && !only->next && only->type == XML_TEXT_NODE) {
      xmlNodeSetContentLen(only, X(text), length);
      return;
    }
    // Other children are cut loose rather than freed: handles may point at them.
    while (xmlNode* child = raw->children) {
      xmlUnlinkNode(child);
      doc_->Adopt(child);
    }
    if (!text.empty()) {
      xmlNode* node = xmlNewDocTextLen(raw->doc, X(text), length);
      if (!node) throw com::ComError(com::kEFail, "Out of memory setting text");
      Link(raw, node, nullptr);
    }
    return;
  }
  // Text, comments, CDATA: plain content, no entity parsing.
  xmlNodeSetContentLen(raw, X(text), length);
}

std::optional<std::string> Node::Attribute(const std::string& name) const {
  xmlNode* raw = Need(*this);
  if (raw->type != XML_ELEMENT_NODE) return std::nullopt;
  if (IsNamespaceDeclaration(name)) {
    if (xmlNs* ns = FindDeclaration(raw, name)) return S(ns->href);
    return std::nullopt;
  }
  if (xmlAttr* attr = FindAttribute(raw, name)) return AttributeValue(attr);
  return std::nullopt;
}

void Node::SetAttribute(const std::string& name, const std::string& value) {
  xmlNode* raw = NeedElement(*this, "SetAttribute");
  CheckName(name, "attribute");
  if (IsNamespaceDeclaration(name)) {
    if (xmlNs* ns = FindDeclaration(raw, name)) {
      if (ns->href) xmlFree(const_cast<xmlChar*>(ns->href));
      ns->href = xmlStrdup(X(value));
    } else if (!xmlNewNs(raw, X(value), DeclaredPrefix(name))) {
      throw com::ComError(com::kEFail, "Cannot declare namespace '" + name + "'");
    }
    return;
  }
  if (xmlAttr* attr = FindAttribute(raw, name)) {
    // Replace the value in place: the attribute node itself stays.
    Node(doc_, attr).SetText(value);
    return;
  }
  xmlAttr* attr = nullptr;
  const auto colon = name.find(':');
  xmlNs* ns = colon == std::string::npos ? nullptr
                                         : xmlSearchNs(raw->doc, raw, X(name.substr(0, colon)));
  if (ns) {
    attr = xmlNewNsProp(raw, ns, X(name.substr(colon + 1)), X(value));
  } else {
    attr = xmlNewNsProp(raw, nullptr, X(name), X(value));
  }
  if (!attr) throw com::ComError(com::kEFail, "Cannot set attribute '" + name + "'");
}

bool Node::RemoveAttribute(const std::string& name) {
  xmlNode* raw = Need(*this);
  if (raw->type != XML_ELEMENT_NODE) return false;
  xmlAttr* attr = FindAttribute(raw, name);
  if (!attr) return false;
  xmlUnlinkNode(reinterpret_cast<xmlNode*>(attr));
  doc_->Adopt(reinterpret_cast<xmlNode*>(attr));
  return true;
}

std::vector<std::pair<std::string, std::string>> Node::Attributes() const {
  xmlNode* raw = Need(*this);
  std::vector<std::pair<std::string, std::string>> result;
  if (raw->type != XML_ELEMENT_NODE) return result;
  for (xmlNs* ns = raw->nsDef; ns; ns = ns->next) {
    result.emplace_back(ns->prefix ? "xmlns:" + S(ns->prefix) : "xmlns", S(ns->href));
  }
  for (xmlAttr* attr = raw->properties; attr; attr = attr->next) {
    result.emplace_back(QualifiedName(attr), AttributeValue(attr));
  }
  return result;
}

Node Node::SelectSingleNode(const std::string& xpath) const {
  xmlNode* raw = Need(*this);
  auto nodes = EvaluateXPath(raw, doc_->doc.get(), xpath);
  return nodes.empty() ? Node() : Node(doc_, nodes.front());
}

std::vector<Node> Node::SelectNodes(const std::string& xpath) const {
  xmlNode* raw = Need(*this);
  std::vector<Node> result;
  for (xmlNode* node : EvaluateXPath(raw, doc_->doc.get(), xpath)) result.push_back(Node(doc_, node));
  return result;
}

std::vector<Node> Node::Children() const {
  xmlNode* raw = Need(*this);
  std::vector<Node> result;
  if (!IsContainer(raw)) return result;
  for (xmlNode* child = raw->children; child; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) result.push_back(Node(doc_, child));
  }
  return result;
}

Node Node::FirstChild(const std::string& name) const {
  xmlNode* raw = Need(*this);
  if (!IsContainer(raw)) return Node();
  for (xmlNode* child = raw->children; child; child = child->next) {
    if (child->type == XML_ELEMENT_NODE && QualifiedName(child->name, child->ns) == name) {
      return Node(doc_, child);
    }
  }
  return Node();
}

Node Node::Parent() const {
  xmlNode* raw = Need(*this);
  xmlNode* parent = raw->parent;
  if (!parent || parent->type == XML_DOCUMENT_NODE) return Node();
  return Node(doc_, parent);
}

Document Node::OwnerDocument() const {
  Need(*this);
  return Document(doc_);
}

Node Node::AppendChild(const Node& child) { return InsertBefore(child, Node()); }

Node Node::InsertBefore(const Node& child, const Node& reference) {
  xmlNode* parent = Need(*this);
  xmlNode* raw = Need(child);
  if (!IsContainer(parent)) {
    throw com::ComError(com::kEFail, "This node type cannot have children");
  }
  if (raw->type == XML_ATTRIBUTE_NODE || raw->type == XML_DOCUMENT_NODE ||
      raw->type == XML_NAMESPACE_DECL) {
    throw com::ComError(com::kEInvalidArg, "This node type cannot be inserted");
  }
  xmlNode* before = DocumentImpl::Raw(reference);
  if (before && (before->parent != parent || reference.doc_ != doc_)) {
    throw com::ComError(com::kEInvalidArg, "The reference node is not a child of this node");
  }
  if (before == raw) return child;

  if (parent->type == XML_DOCUMENT_NODE && raw->type == XML_ELEMENT_NODE) {
    xmlNode* root = xmlDocGetRootElement(reinterpret_cast<xmlDoc*>(parent));
    if (root && root != raw) {
      throw com::ComError(com::kEFail, "Only one top level element is allowed in a document");
    }
  }
  if (child.doc_ != doc_) {
    raw = xmlDocCopyNode(raw, doc_->doc.get(), 1);
    if (!raw) throw com::ComError(com::kEFail, "Out of memory copying a node");
    doc_->Adopt(raw);
  } else {
    if (IsAncestorOrSelf(raw, parent)) {
      throw com::ComError(com::kEInvalidArg, "A node cannot be inserted below itself");
    }
    xmlUnlinkNode(raw);
    doc_->Adopt(raw);
  }
  Link(parent, raw, before);
  FixNamespaces(raw);
  return Node(doc_, raw);
}

Node Node::RemoveChild(const Node& child) {
  xmlNode* parent = Need(*this);
  xmlNode* raw = Need(child);
  if (child.doc_ != doc_ || raw->parent != parent || raw->type == XML_ATTRIBUTE_NODE) {
    throw com::ComError(com::kEInvalidArg, "The node is not a child of this node");
  }
  xmlUnlinkNode(raw);
  doc_->Adopt(raw);
  FixNamespaces(raw);
  return child;
}

Node Node::CloneNode(bool deep) const {
  xmlNode* raw = Need(*this);
  // 2: the node with its attributes and namespaces, without children.
  xmlNode* copy = xmlDocCopyNode(raw, raw->doc, deep ? 1 : 2);
  if (!copy) throw com::ComError(com::kEFail, "Out of memory cloning a node");
  doc_->Adopt(copy);
  return Node(doc_, copy);
}

Node Node::AddElement(const std::string& name) {
  xmlNode* parent = Need(*this);
  if (!IsContainer(parent)) throw com::ComError(com::kEFail, "This node type cannot have children");
  CheckName(name, "element");
  if (parent->type == XML_DOCUMENT_NODE && xmlDocGetRootElement(parent->doc)) {
    throw com::ComError(com::kEFail, "Only one top level element is allowed in a document");
  }
  // The name is read in the parent's scope: a prefix takes its namespace,
  // a plain name the parent's default namespace, as a written document would.
  xmlNs* ns = nullptr;
  std::string local = name;
  if (const auto colon = name.find(':'); colon != std::string::npos) {
    ns = xmlSearchNs(parent->doc, parent, X(name.substr(0, colon)));
    if (ns) local = name.substr(colon + 1);
  } else if (parent->type == XML_ELEMENT_NODE) {
    ns = xmlSearchNs(parent->doc, parent, nullptr);
  }
  xmlNode* node = xmlNewDocNode(parent->doc, ns, X(local), nullptr);
  if (!node) throw com::ComError(com::kEFail, "Out of memory creating an element");
  Link(parent, node, nullptr);
  return Node(doc_, node);
}

std::string Node::Xml() const {
  xmlNode* raw = Need(*this);
  if (raw->type == XML_DOCUMENT_NODE) return OwnerDocument().Xml();
  XmlPtr<xmlBuffer> buffer{xmlBufferCreate()};
  if (!buffer) throw com::ComError(com::kEFail, "Out of memory serialising a node");
  if (raw->type == XML_ATTRIBUTE_NODE) {
    auto* attr = reinterpret_cast<xmlAttr*>(raw);
    xmlAttrSerializeTxtContent(buffer.get(), raw->doc, attr, X(AttributeValue(attr)));
    return QualifiedName(attr) + "=\"" + S(xmlBufferContent(buffer.get())) + "\"";
  }
  xmlNodeDump(buffer.get(), raw->doc, raw, 0, 0);
  return S(xmlBufferContent(buffer.get()));
}

}  // namespace dtm::xml
