#pragma once
// Internals of the DOM shared by platform/xml/*.cpp: owning pointers for the
// libxml2 and libxslt objects, the shared document and the error capture.
// Nothing outside this folder includes it.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/xml/dom.h"

namespace dtm::xml {

struct XmlFree {
  void operator()(xmlDoc* p) const noexcept { xmlFreeDoc(p); }
  void operator()(xmlParserCtxt* p) const noexcept { xmlFreeParserCtxt(p); }
  void operator()(xmlXPathContext* p) const noexcept { xmlXPathFreeContext(p); }
  void operator()(xmlXPathObject* p) const noexcept { xmlXPathFreeObject(p); }
  void operator()(xmlBuffer* p) const noexcept { xmlBufferFree(p); }
  void operator()(xsltStylesheet* p) const noexcept { xsltFreeStylesheet(p); }
  void operator()(xsltTransformContext* p) const noexcept { xsltFreeTransformContext(p); }
  void operator()(xsltSecurityPrefs* p) const noexcept { xsltFreeSecurityPrefs(p); }
};
template <class T>
using XmlPtr = std::unique_ptr<T, XmlFree>;

// Text of a libxml2 string that the caller must free (xmlNodeGetContent...).
std::string TakeString(xmlChar* text);
inline const xmlChar* X(const std::string& s) { return reinterpret_cast<const xmlChar*>(s.c_str()); }
inline std::string S(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

// One tree and every node cut loose from it. A node that leaves the tree
// (removed, replaced, cloned, created and not yet inserted) is remembered
// here and freed with the document, never earlier: a Node handle may still
// point at it. Nodes are never freed one by one, so a handle stays valid for
// as long as it keeps the document alive.
struct DocumentImpl {
  explicit DocumentImpl(XmlPtr<xmlDoc> d) : doc(std::move(d)) {}
  ~DocumentImpl();
  DocumentImpl(const DocumentImpl&) = delete;
  DocumentImpl& operator=(const DocumentImpl&) = delete;

  static std::shared_ptr<DocumentImpl> NewEmpty();

  // `node` is now outside the tree (it may be inserted again later).
  void Adopt(xmlNode* node) { loose.insert(node); }

  static Node Wrap(const std::shared_ptr<DocumentImpl>& impl, xmlNode* node) {
    return node ? Node(impl, node) : Node();
  }
  static xmlNode* Raw(const Node& node) { return static_cast<xmlNode*>(node.node_); }
  static const std::shared_ptr<DocumentImpl>& Owner(const Node& node) { return node.doc_; }

  XmlPtr<xmlDoc> doc;
  std::unordered_set<xmlNode*> loose;
  std::string parse_error;
};

// Collects what libxml2 and libxslt report while it lives, instead of their
// printing to stderr; restores the previous handlers on destruction. The
// callbacks never throw: they note the message and the caller raises once
// control is back.
class ErrorCapture {
 public:
  struct Entry {
    int level = 0;  // xmlErrorLevel; 0 for generic messages
    int line = 0;   // 0 when unknown
    std::string message;
  };

  ErrorCapture();
  ~ErrorCapture();
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  // Every message so far, "line N: text" where a line is known, joined by "; ".
  std::string Text() const;
  // The first error (not warning) as "line N: text"; Text() when there is none.
  std::string FirstError() const;
  const std::vector<Entry>& Entries() const;

#if LIBXML_VERSION >= 21200
  static void OnStructured(void* self, const xmlError* error) noexcept;
#else
  static void OnStructured(void* self, xmlErrorPtr error) noexcept;
#endif
  static void OnGeneric(void* self, const char* format, ...) noexcept;

 private:
  void FlushGeneric() const;

  xmlStructuredErrorFunc old_structured_;
  void* old_structured_ctx_;
  xmlGenericErrorFunc old_generic_;
  void* old_generic_ctx_;
  xmlGenericErrorFunc old_xslt_;
  void* old_xslt_ctx_;
  mutable std::vector<Entry> entries_;
  mutable std::string generic_;  // generic messages arrive a fragment at a time
};

// Parser options of every load: no network, no DTD loading, entities left
// unexpanded, whitespace-only text dropped as MSXML does by default.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS;

// The nodes `xpath` selects relative to `context`; raises ComError.
std::vector<xmlNode*> EvaluateXPath(xmlNode* context, xmlDoc* doc, const std::string& xpath);

// Once per process: libxml2's global state.
void InitLibrary();

}  // namespace dtm::xml
