// XPath selection relative to a node.

#include <libxml/xpathInternals.h>

#include "platform/com/error.h"
#include "platform/xml/impl.h"

namespace dtm::xml {

std::vector<xmlNode*> EvaluateXPath(xmlNode* context, xmlDoc* doc, const std::string& xpath) {
  ErrorCapture capture;
  XmlPtr<xmlXPathContext> ctxt{xmlXPathNewContext(doc)};
  if (!ctxt) throw com::ComError(com::kEFail, "Out of memory starting an XPath query");
  ctxt->node = context;
  ctxt->error = &ErrorCapture::OnStructured;
  ctxt->userData = &capture;

  // "fdt" first, so that a document binding the prefix itself wins.
  xmlXPathRegisterNs(ctxt.get(), reinterpret_cast<const xmlChar*>("fdt"),
                     reinterpret_cast<const xmlChar*>(kFdtNamespace));
  if (xmlNode* root = xmlDocGetRootElement(doc)) {
    for (xmlNs* ns = root->nsDef; ns; ns = ns->next) {
      if (ns->prefix && ns->href) xmlXPathRegisterNs(ctxt.get(), ns->prefix, ns->href);
    }
  }

  XmlPtr<xmlXPathObject> result{xmlXPathEvalExpression(X(xpath), ctxt.get())};
  if (!result) {
    std::string reason = capture.Text();
    if (reason.empty()) reason = "Invalid expression";
    throw com::ComError(com::kEFail, "XPath '" + xpath + "': " + reason);
  }
  if (result->type != XPATH_NODESET) {
    throw com::ComError(com::kEFail, "XPath '" + xpath + "' does not select nodes");
  }
  std::vector<xmlNode*> nodes;
  if (xmlNodeSet* set = result->nodesetval) {
    nodes.reserve(static_cast<std::size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i) {
      xmlNode* node = set->nodeTab[i];
      // Namespace nodes are copies owned by the result: never handed out.
      if (node && node->type != XML_NAMESPACE_DECL) nodes.push_back(node);
    }
  }
  return nodes;
}

}  // namespace dtm::xml
