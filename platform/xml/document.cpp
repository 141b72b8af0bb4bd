// Documents: parsing, serialising, the loose-node bookkeeping and XSLT.

#include <libxslt/xsltutils.h>

#include <vector>

#include "platform/com/error.h"
#include "platform/xml/impl.h"

namespace dtm::xml {

DocumentImpl::~DocumentImpl() {
  // Roots of loose subtrees only: a loose node that was inserted somewhere
  // again goes with its new parent. Parents are looked at before anything is
  // freed; loose nodes go before the document, whose dictionary they use.
  std::vector<xmlNode*> roots;
  for (xmlNode* node : loose) {
    if (node->parent == nullptr) roots.push_back(node);
  }
  for (xmlNode* node : roots) xmlFreeNode(node);
}

std::shared_ptr<DocumentImpl> DocumentImpl::NewEmpty() {
  InitLibrary();
  XmlPtr<xmlDoc> doc{xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"))};
  if (!doc) throw com::ComError(com::kEFail, "Out of memory creating an XML document");
  return std::make_shared<DocumentImpl>(std::move(doc));
}

namespace {

// Parses text or a file with `ctxt`; the document, or null with the reason
// in `error`. libxml2 resets the context at the start of each read.
XmlPtr<xmlDoc> ReadWith(xmlParserCtxt* ctxt, const std::string* text,
                        const std::filesystem::path* file, std::string& error) {
  ErrorCapture capture;
  XmlPtr<xmlDoc> doc;
  if (text) {
    if (text->size() > static_cast<std::size_t>(INT32_MAX)) {
      error = "Document too large";
      return nullptr;
    }
    doc.reset(xmlCtxtReadMemory(ctxt, text->data(), static_cast<int>(text->size()), nullptr,
                                "UTF-8", kParseOptions));
  } else {
    doc.reset(xmlCtxtReadFile(ctxt, file->string().c_str(), nullptr, kParseOptions));
  }
  // MSXML rejects an undeclared prefix; libxml2 only flags it.
  if (doc && !ctxt->nsWellFormed) doc.reset();
  if (!doc) {
    error = capture.FirstError();
    if (error.empty()) error = text ? "The document could not be parsed" : "Cannot read " + file->string();
  }
  return doc;
}

XmlPtr<xmlParserCtxt> NewContext() {
  InitLibrary();
  return XmlPtr<xmlParserCtxt>{xmlNewParserCtxt()};
}

XmlPtr<xmlDoc> ParseWith(const std::string* text, const std::filesystem::path* file,
                         std::string& error) {
  XmlPtr<xmlParserCtxt> ctxt = NewContext();
  if (!ctxt) {
    error = "Out of memory";
    return nullptr;
  }
  return ReadWith(ctxt.get(), text, file, error);
}

std::string Dump(xmlDoc* doc, bool indented = false) {
  xmlChar* mem = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc, &mem, &size, "UTF-8", indented ? 1 : 0);
  if (!mem) throw com::ComError(com::kEFail, "Out of memory serialising an XML document");
  std::string text(reinterpret_cast<const char*>(mem), static_cast<std::size_t>(size));
  xmlFree(mem);
  return text;
}

}  // namespace

Document::Document() : impl_(DocumentImpl::NewEmpty()) {}

namespace {

// A load gives the Document a new tree; Nodes taken before keep the old one.
bool Adopt(std::shared_ptr<DocumentImpl>& impl, XmlPtr<xmlDoc> doc, const std::string& error) {
  if (!doc) {
    impl = DocumentImpl::NewEmpty();
    impl->parse_error = error;
    return false;
  }
  impl = std::make_shared<DocumentImpl>(std::move(doc));
  return true;
}

}  // namespace

bool Document::LoadXml(const std::string& text) {
  std::string error;
  XmlPtr<xmlDoc> doc = ParseWith(&text, nullptr, error);
  return Adopt(impl_, std::move(doc), error);
}

bool Document::Load(const std::filesystem::path& file) {
  std::string error;
  XmlPtr<xmlDoc> doc = ParseWith(nullptr, &file, error);
  return Adopt(impl_, std::move(doc), error);
}

const std::string& Document::ParseError() const { return impl_->parse_error; }

// --- Parser ---

struct ParserImpl {
  XmlPtr<xmlParserCtxt> ctxt;
};

namespace {

// The names a kept context has met stay in its dictionary (so do short
// attribute values). Past this many the context is set up anew, so that a
// long run of varied documents does not grow it without end.
constexpr std::size_t kMostDictionaryEntries = 4096;

}  // namespace

Parser::Parser() = default;
Parser::~Parser() = default;
Parser::Parser(Parser&&) noexcept = default;
Parser& Parser::operator=(Parser&&) noexcept = default;

std::optional<Document> Parser::Parse(const std::string& text) {
  parse_error_.clear();
  if (!impl_) {
    XmlPtr<xmlParserCtxt> ctxt = NewContext();
    if (!ctxt) {
      parse_error_ = "Out of memory";
      return std::nullopt;
    }
    impl_ = std::make_unique<ParserImpl>(ParserImpl{std::move(ctxt)});
  }
  XmlPtr<xmlDoc> doc = ReadWith(impl_->ctxt.get(), &text, nullptr, parse_error_);
  if (impl_->ctxt->dict &&
      static_cast<std::size_t>(xmlDictSize(impl_->ctxt->dict)) > kMostDictionaryEntries) {
    impl_.reset();
  }
  if (!doc) return std::nullopt;
  return Document(std::make_shared<DocumentImpl>(std::move(doc)));
}

Document Document::Parse(const std::string& text) {
  Document document;
  if (!document.LoadXml(text)) {
    throw com::ComError(com::kEFail, "XML parse error: " + document.ParseError());
  }
  return document;
}

Node Document::DocumentElement() const {
  return DocumentImpl::Wrap(impl_, xmlDocGetRootElement(impl_->doc.get()));
}

Node Document::AsNode() const {
  return DocumentImpl::Wrap(impl_, reinterpret_cast<xmlNode*>(impl_->doc.get()));
}

Node Document::CreateElement(const std::string& name) {
  if (xmlValidateQName(X(name), 0) != 0) {
    throw com::ComError(com::kEFail, "Invalid element name '" + name + "'");
  }
  xmlNode* node = xmlNewDocNode(impl_->doc.get(), nullptr, X(name), nullptr);
  if (!node) throw com::ComError(com::kEFail, "Out of memory creating an element");
  impl_->Adopt(node);
  return DocumentImpl::Wrap(impl_, node);
}

void Document::SetDocumentElement(const Node& root) {
  xmlNode* raw = DocumentImpl::Raw(root);
  if (!raw) com::ThrowObjectVariableNotSet();
  if (raw->type != XML_ELEMENT_NODE) {
    throw com::ComError(com::kEInvalidArg, "The document element must be an element");
  }
  xmlDoc* doc = impl_->doc.get();
  if (DocumentImpl::Owner(root) != impl_) {
    raw = xmlDocCopyNode(raw, doc, 1);
    if (!raw) throw com::ComError(com::kEFail, "Out of memory copying a node");
    impl_->Adopt(raw);
  } else if (raw == xmlDocGetRootElement(doc)) {
    return;
  } else {
    xmlUnlinkNode(raw);
    impl_->Adopt(raw);
  }
  if (xmlNode* old = xmlDocSetRootElement(doc, raw)) impl_->Adopt(old);
}

std::string Document::Xml() const { return Dump(impl_->doc.get()); }

std::string Document::IndentedXml() const { return Dump(impl_->doc.get(), true); }

void Document::Save(const std::filesystem::path& file) const {
  ErrorCapture capture;
  if (xmlSaveFileEnc(file.string().c_str(), impl_->doc.get(), "UTF-8") < 0) {
    throw com::ComError(com::kEFail, "Cannot write " + file.string() +
                                         (capture.Text().empty() ? "" : ": " + capture.Text()));
  }
}

Node Document::SelectSingleNode(const std::string& xpath) const {
  return AsNode().SelectSingleNode(xpath);
}

std::vector<Node> Document::SelectNodes(const std::string& xpath) const {
  return AsNode().SelectNodes(xpath);
}

std::string Document::TransformNode(const Document& stylesheet) const {
  ErrorCapture capture;
  // libxslt takes the stylesheet's tree; it gets a copy so `stylesheet` stays usable.
  XmlPtr<xmlDoc> copy{xmlCopyDoc(stylesheet.impl_->doc.get(), 1)};
  if (!copy) throw com::ComError(com::kEFail, "Out of memory copying the stylesheet");
  XmlPtr<xsltStylesheet> sheet{xsltParseStylesheetDoc(copy.get())};
  if (!sheet) {
    throw com::ComError(com::kEFail, "The stylesheet was rejected: " + capture.Text());
  }
  copy.release();  // the stylesheet frees it now

  // libxslt writes into its input (xsl:strip-space frees text nodes, and
  // element order numbers go into the nodes): it works on a copy, so this
  // document and the handles into it stay as they are.
  XmlPtr<xmlDoc> source{xmlCopyDoc(impl_->doc.get(), 1)};
  if (!source) throw com::ComError(com::kEFail, "Out of memory copying the document");

  // A stylesheet is data: it may read files but never write or reach out.
  XmlPtr<xsltSecurityPrefs> prefs{xsltNewSecurityPrefs()};
  XmlPtr<xsltTransformContext> ctxt{xsltNewTransformContext(sheet.get(), source.get())};
  if (!prefs || !ctxt) throw com::ComError(com::kEFail, "Out of memory starting a transformation");
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
  xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
  xsltSetCtxtSecurityPrefs(prefs.get(), ctxt.get());
  xsltSetTransformErrorFunc(ctxt.get(), &capture, &ErrorCapture::OnGeneric);

  XmlPtr<xmlDoc> result{
      xsltApplyStylesheetUser(sheet.get(), source.get(), nullptr, nullptr, nullptr, ctxt.get())};
  if (!result || ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED) {
    throw com::ComError(com::kEFail, "The transformation failed: " + capture.Text());
  }
  xmlChar* mem = nullptr;
  int size = 0;
  if (xsltSaveResultToString(&mem, &size, result.get(), sheet.get()) != 0) {
    throw com::ComError(com::kEFail, "The transformation result could not be written");
  }
  std::string text = mem ? std::string(reinterpret_cast<const char*>(mem), static_cast<std::size_t>(size)) : "";
  if (mem) xmlFree(mem);
  return text;
}

}  // namespace dtm::xml
