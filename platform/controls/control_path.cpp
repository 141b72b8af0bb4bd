#include "platform/controls/control_path.h"

#include <cctype>

#include "platform/controls/collection.h"

namespace dtm::controls {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool IsNameChar(char c) { return c != '.' && c != '(' && c != ')' && c != ' ' && c != '\t'; }

bool ValidName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

std::optional<PathPart> ParsePart(std::string_view text) {
  text = Trim(text);
  PathPart part;
  const std::size_t open = text.find('(');
  if (open == std::string_view::npos) {
    if (!ValidName(text)) return std::nullopt;
    part.name = std::string(text);
    return part;
  }
  if (text.back() != ')') return std::nullopt;
  const std::string_view name = Trim(text.substr(0, open));
  const std::string_view digits = Trim(text.substr(open + 1, text.size() - open - 2));
  if (!ValidName(name) || digits.empty() || digits.size() > 5) return std::nullopt;
  std::int32_t index = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    index = index * 10 + (c - '0');
  }
  if (index > 32767) return std::nullopt;
  part.name = std::string(name);
  part.index = static_cast<std::int16_t>(index);
  return part;
}

}  // namespace

std::optional<ControlPath> ParseControlPath(std::string_view text) {
  ControlPath path;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    const std::string_view segment =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    auto part = ParsePart(segment);
    if (!part) return std::nullopt;
    path.parts.push_back(std::move(*part));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  // Only the control may carry an index.
  for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) {
    if (path.parts[i].index) return std::nullopt;
  }
  return path;
}

bool ControlPath::BelongsTo(std::string_view pages) const {
  if (parts.size() == 1 || Trim(pages).empty()) return true;
  const auto owner = ParseControlPath(pages);
  if (!owner || owner->parts.size() >= parts.size()) return false;
  for (std::size_t i = 0; i < owner->parts.size(); ++i) {
    if (owner->parts[i].index || !SameText(owner->parts[i].name, parts[i].name)) return false;
  }
  return true;
}

std::string PartText(const PathPart& part) {
  if (!part.index) return part.name;
  return part.name + "(" + std::to_string(*part.index) + ")";
}

std::string PathText(const ControlPath& path) {
  std::string text;
  for (const PathPart& part : path.parts) {
    if (!text.empty()) text += '.';
    text += PartText(part);
  }
  return text;
}

std::string NormalPath(const ControlPath& path) { return PartText(path.Control()); }

PathPart PartOf(const forms::Control& control) {
  PathPart part{control.Name(), std::nullopt};
  if (control.InArray()) part.index = control.Index();
  return part;
}

std::string JoinPath(std::string_view base, const forms::Control& control) {
  const std::string part = PartText(PartOf(control));
  base = Trim(base);
  return base.empty() ? part : std::string(base) + "." + part;
}

bool Names(const PathPart& part, const forms::Control& control) {
  if (!SameText(part.name, control.Name())) return false;
  if (part.index.has_value() != control.InArray()) return false;
  return !part.index || *part.index == control.Index();
}

}  // namespace dtm::controls
