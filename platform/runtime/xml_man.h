#pragma once
// XML helpers of the runtime and the data folder it reads its files from.

#include <filesystem>
#include <string>

#include "platform/com/variant.h"
#include "platform/xml/dom.h"

namespace dtm::runtime {

class XMLMan {
 public:
  const std::string& DataFolder() const { return data_folder_; }
  void SetDataFolder(std::string folder) { data_folder_ = std::move(folder); }

  // The attribute as a String Variant; Empty when absent or node is null.
  com::Variant GetAttribute(const std::string& name, const xml::Node& node) const;
  // Sets an attribute from a Variant's text (CStr); PutAttribute is the same
  // operation under its second name.
  void SetAttribute(const std::string& name, const com::Variant& value, const xml::Node& node) const;
  void PutAttribute(const std::string& name, const com::Variant& value, const xml::Node& node) const;
  // Appends an element child; returns it.
  xml::Node AddChildNode(const std::string& name, const xml::Node& parent) const;
  bool LoadXML(xml::Document& document, const std::string& text) const;

 private:
  std::string data_folder_;
};

}  // namespace dtm::runtime
