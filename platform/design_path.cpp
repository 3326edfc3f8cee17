#include "platform/design_path.h"

namespace codexel {

namespace {
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

PathParts SplitPath(const std::string& path) {
  PathParts parts;
  std::string rest = path;
  if (rest.size() >= 2 && IsLetter(rest[0]) && rest[1] == ':') {
    parts.drive = rest.substr(0, 2);
    rest.erase(0, 2);
  }
  const std::size_t slash = rest.find_last_of("/\\");
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

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
  const PathParts parts = SplitPath(path);
  return parts.drive + parts.directory + parts.base_name + extension;
}

std::string NativeSeparators(const std::string& path) { return path; }

}  // namespace codexel
