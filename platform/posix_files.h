#pragma once
// Files on a POSIX system: reading regular files only, and sets of files
// that are replaced all together or not at all.

#include <string>

#include "platform/services.h"

namespace codexel {

class PosixFileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  std::unique_ptr<std::istream> OpenForReading(const std::string& path) override;
  std::unique_ptr<FileBatch> StartBatch() override;
};

// The length of a temporary file's name for a target named `name`: short
// and fixed, never longer than the target's name (so it fits wherever the
// target fits), and never shorter than three characters.
std::size_t TemporaryNameLength(const std::string& name);

}  // namespace codexel
