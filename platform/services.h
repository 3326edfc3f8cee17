#pragma once
// Interfaces of the services the program takes from its platform. The core
// uses only these; platform/ holds the real implementations and tests put
// recorders in their place.

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "platform/text_metrics.h"

namespace codexel {

// A modal message box with one OK button; Show returns when it was closed.
class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual void Show(const std::string& title, const std::string& text) = 0;
};

// Posts (message, x, y) to the caller's thread without waiting for a reply.
class CallerNotifier {
 public:
  static constexpr int kPagePlacedMessage = 1034;  // 0x40A
  virtual ~CallerNotifier() = default;
  virtual void Post(int thread_id, int message, int x, int y) = 0;
};

struct WriteOutcome {
  enum class Failure { kNone, kOpen, kWrite };
  Failure failure = Failure::kNone;
  std::string reason;  // the system's text for the failure
  bool ok() const { return failure == Failure::kNone; }
};

// A file of a set that could not be written, and why.
struct FileFailure {
  std::string path;
  WriteOutcome outcome;
};

// Files written all together or not at all, such as the files of one
// variation. Stage produces one file's bytes and writes them to a temporary
// file beside the file it replaces; Commit then puts every staged file in
// place, in the order staged. Whatever fails, every existing file keeps its
// bytes and no temporary file is left behind. A symbolic link is followed:
// the file it names is replaced and the link stays. Only regular files are
// replaced; a directory, pipe or device is refused, and so is an existing
// file the user may not write.
class FileBatch {
 public:
  // Discards whatever was staged and not committed.
  virtual ~FileBatch() = default;
  // Checks `path` and writes the bytes `write` produces; every write, the
  // flush and the close are checked. On failure nothing of `path` is kept.
  virtual WriteOutcome Stage(const std::string& path,
                             const std::function<void(std::ostream&)>& write) = 0;
  // Puts the staged files in place; on failure the files put in place get
  // their old bytes back and the failed file is named.
  virtual std::optional<FileFailure> Commit() = 0;
  // Removes the staged files; the batch is empty afterwards.
  virtual void Discard() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  // Deletes the file; false when there was none or it could not be deleted.
  virtual bool Remove(const std::string& path) = 0;
  // Renames `from` to `to`, replacing a file `to`; false when it failed.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // Opens a regular file for reading; null when it cannot be opened or is
  // no regular file (a pipe or device is never opened).
  virtual std::unique_ptr<std::istream> OpenForReading(const std::string& path) = 0;
  // An empty set of files to write together.
  virtual std::unique_ptr<FileBatch> StartBatch() = 0;
};

class ProcessServices {
 public:
  virtual ~ProcessServices() = default;
  // Full path of the running program.
  virtual std::string ExecutablePath() = 0;
  // Ends the process at once with this exit status.
  [[noreturn]] virtual void Exit(int status) = 0;
};

// The program's help in a window of its own beside the pages.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Shows `html`, the text of the help file at `path`, at the section whose
  // anchor is `section` (at its top when there is no such anchor). A window
  // already open takes the text again and comes forward.
  virtual void Show(const std::string& path, const std::string& html,
                    const std::string& section) = 0;
};

// The services one run of the program uses.
struct PlatformServices {
  MessageService& messages;
  CallerNotifier& notifier;
  TextMetrics& metrics;
  FileSystem& files;
  ProcessServices& process;
  HelpViewer* help = nullptr;  // none in the programs without pages
};

}  // namespace codexel
