#include "platform/design_path.h"

namespace codexel {

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithDrive(const std::string& path, const PathStyle& style) {
  return style.drives && path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}
}  // namespace

PathParts SplitPath(const std::string& path, const PathStyle& style) {
  PathParts parts;
  std::string rest = path;
  if (StartsWithDrive(rest, style)) {
    parts.drive = rest.substr(0, 2);
    rest.erase(0, 2);
  }
  const std::size_t slash = rest.find_last_of(style.separators);
  if (slash != std::string::npos) {
    parts.directory = rest.substr(0, slash + 1);
    rest.erase(0, slash + 1);
  }
  const std::size_t dot = rest.rfind('.');
  if (dot != std::string::npos) {
    parts.extension = rest.substr(dot);
    rest.erase(dot);
  }
  parts.base_name = rest;
  return parts;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension,
                             const PathStyle& style) {
  const PathParts parts = SplitPath(path, style);
  return parts.drive + parts.directory + parts.base_name + extension;
}

bool HasDirectory(const std::string& name, const PathStyle& style) {
  return name.find_first_of(style.separators) != std::string::npos ||
         (style.drives && name.find(':') != std::string::npos);
}

std::string NativeSeparators(const std::string& path) { return path; }

}  // namespace codexel
