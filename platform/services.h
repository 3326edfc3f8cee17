#pragma once
// Interfaces of the services the program takes from its platform. The core
// uses only these; platform/ holds the real implementations and tests put
// recorders in their place.

#include <functional>
#include <iosfwd>
#include <memory>
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

enum class WriteMode {
  kReplace,  // open the path itself, truncating it
  kAtomic,   // write a temporary file beside it and rename it over the path
};

struct WriteOutcome {
  enum class Failure { kNone, kOpen, kWrite };
  Failure failure = Failure::kNone;
  std::string reason;  // the system's text for the failure
  bool ok() const { return failure == Failure::kNone; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool Exists(const std::string& path) = 0;
  // Deletes the file; false when there was none or it could not be deleted.
  virtual bool Remove(const std::string& path) = 0;
  // Opens a file for reading; null when it cannot be opened.
  virtual std::unique_ptr<std::istream> OpenForReading(const std::string& path) = 0;
  // Creates or replaces `path` with the bytes `write` produces. Every write
  // and the close are checked; when anything fails, no partial file is left
  // under `path` (an atomic replace leaves the old file untouched).
  virtual WriteOutcome WriteFile(const std::string& path,
                                 const std::function<void(std::ostream&)>& write,
                                 WriteMode mode) = 0;
};

class ProcessServices {
 public:
  virtual ~ProcessServices() = default;
  // Full path of the running program.
  virtual std::string ExecutablePath() = 0;
  // Ends the process at once with this exit status.
  [[noreturn]] virtual void Exit(int status) = 0;
  // Shows a help file with the desktop's viewer.
  virtual void OpenHelpFile(const std::string& path) = 0;
};

// The services one run of the program uses.
struct PlatformServices {
  MessageService& messages;
  CallerNotifier& notifier;
  TextMetrics& metrics;
  FileSystem& files;
  ProcessServices& process;
};

}  // namespace codexel
