#pragma once
// Splitting a file path into drive, directory, base name and extension.

#include <string>

namespace codexel {

struct PathParts {
  std::string drive;      // "c:" or empty
  std::string directory;  // up to and including the last '/' or '\'
  std::string base_name;  // last component without its extension
  std::string extension;  // from the last '.' of the last component, or empty
};

// Both '/' and '\' separate directories, whatever the platform; a drive is a
// letter and ':' at the very start.
PathParts SplitPath(const std::string& path);

// Replaces the extension of `path` (everything from the last '.' of its last
// component) with `extension`; appends it when there is none.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The path as the platform shows it: on this platform '/' is native and
// paths are shown as they stand.
std::string NativeSeparators(const std::string& path);

}  // namespace codexel
