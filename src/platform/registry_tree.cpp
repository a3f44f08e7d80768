#include <strings.h>

#include <algorithm>

#include "platform/Registry.h"

namespace orlim {

namespace {

constexpr std::string_view kSeparator = " = \"";

std::string escapeValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

// Reads the value between the opening quote (already passed) and the closing
// quote that must end the line.
bool unescapeValue(std::string_view text, std::string& value) {
  value.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return i + 1 == text.size();
    if (c != '\\') {
      value += c;
      continue;
    }
    if (++i == text.size()) return false;
    if (text[i] == 'n')
      value += '\n';
    else if (text[i] == '"' || text[i] == '\\')
      value += text[i];
    else
      return false;
  }
  return false;  // no closing quote
}

bool isParentOf(std::string_view parent, std::string_view path) {
  if (parent.empty()) return true;
  return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
         strncasecmp(path.data(), parent.data(), parent.size()) == 0;
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  const int order = strncasecmp(a.data(), b.data(), std::min(a.size(), b.size()));
  return order != 0 ? order < 0 : a.size() < b.size();
}

bool RegistryTree::validPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\' || path.front() == '#') return false;
  if (path.find("\\\\") != std::string_view::npos || path.find(" = ") != std::string_view::npos) return false;
  if (path.front() == ' ' || path.back() == ' ') return false;
  return std::none_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

const std::string* RegistryTree::value(std::string_view path) const {
  const auto found = entries_.find(path);
  return found == entries_.end() ? nullptr : &found->second;
}

bool RegistryTree::set(const std::string& path, const std::string& value) {
  if (!validPath(path)) return false;
  const auto found = entries_.find(path);
  if (found != entries_.end())
    found->second = value;
  else
    entries_.emplace(path, value);
  return true;
}

bool RegistryTree::remove(std::string_view path) {
  const auto found = entries_.find(path);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}

std::vector<std::string> RegistryTree::subkeys(std::string_view path) const {
  std::vector<std::string> names;
  const std::size_t skip = path.empty() ? 0 : path.size() + 1;
  for (const auto& [key, value] : entries_) {
    if (!isParentOf(path, key)) continue;
    const std::string name = key.substr(skip, key.find('\\', skip) - skip);
    const bool seen = std::any_of(names.begin(), names.end(),
                                  [&name](const std::string& n) { return strcasecmp(n.c_str(), name.c_str()) == 0; });
    if (!seen) names.push_back(name);
  }
  return names;
}

std::string RegistryTree::format() const {
  std::string text = "# ORLIM registry: one key per line, path = \"value\"\n";
  for (const auto& [path, value] : entries_) text += path + " = \"" + escapeValue(value) + "\"\n";
  return text;
}

bool RegistryTree::parse(std::string_view text, RegistryTree& tree, std::string& error) {
  tree.entries_.clear();
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t split = line.find(kSeparator);
    std::string value;
    if (split == std::string_view::npos || !unescapeValue(line.substr(split + kSeparator.size()), value) ||
        !tree.set(std::string(line.substr(0, split)), value)) {
      error = "line " + std::to_string(lineNumber) + " is not a key";
      tree.entries_.clear();
      return false;
    }
  }
  return true;
}

}  // namespace orlim
