#pragma once
// Splitting a file path into drive, directory, base name and extension, by
// the rules of the platform's paths.

#include <string>

namespace codexel {

struct PathParts {
  std::string drive;      // "c:" or empty
  std::string directory;  // up to and including the last separator
  std::string base_name;  // last component without its extension
  std::string extension;  // from the last '.' of the last component, or empty
};

// How a platform writes paths: what separates directories, and whether a
// path may begin with a drive (a letter and ':').
struct PathStyle {
  const char* separators;
  bool drives;
};

inline constexpr PathStyle kPosixPaths{"/", false};
inline constexpr PathStyle kWindowsPaths{"/\\", true};
#ifdef _WIN32
inline constexpr PathStyle kNativePaths = kWindowsPaths;
#else
// Only '/' separates: "a\b.tdf" is one file name.
inline constexpr PathStyle kNativePaths = kPosixPaths;
#endif

PathParts SplitPath(const std::string& path, const PathStyle& style = kNativePaths);

// Replaces the extension of `path` (everything from the last '.' of its last
// component) with `extension`; appends it when there is none.
std::string ReplaceExtension(const std::string& path, const std::string& extension,
                             const PathStyle& style = kNativePaths);

// Whether `name` names its own directory or drive rather than a file in
// some directory.
bool HasDirectory(const std::string& name, const PathStyle& style = kNativePaths);

// The path as the platform shows it: on this platform '/' is native and
// paths are shown as they stand.
std::string NativeSeparators(const std::string& path);

}  // namespace codexel
