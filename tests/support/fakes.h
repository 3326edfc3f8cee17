#pragma once
// Test doubles for the platform services.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/services.h"

namespace codexel::testing {

struct Message {
  std::string title;
  std::string text;
  bool operator==(const Message&) const = default;
};

class RecordingMessages : public MessageService {
 public:
  void Show(const std::string& title, const std::string& text) override {
    shown.push_back({title, text});
    if (on_show) on_show();
  }
  std::vector<Message> shown;
  std::function<void()> on_show;  // runs while the box would be up
};

struct Notification {
  int thread_id, message, x, y;
  bool operator==(const Notification&) const = default;
};

class RecordingNotifier : public CallerNotifier {
 public:
  void Post(int thread_id, int message, int x, int y) override {
    posted.push_back({thread_id, message, x, y});
  }
  std::vector<Notification> posted;
};

// Every character is `char_width` pixels wide; the height is `height`.
class FakeTextMetrics : public TextMetrics {
 public:
  explicit FakeTextMetrics(int char_width = 6, int height = 13) : char_width_(char_width), height_(height) {}
  int Width(const FontFace&, std::string_view text) override {
    return static_cast<int>(text.size()) * char_width_;
  }
  int Height(const FontFace&, std::string_view) override { return height_; }
  int VerticalDpi() override { return 96; }

 private:
  int char_width_;
  int height_;
};

// Thrown by FakeProcess::Exit so that a test can see the process end.
struct ProcessExit {
  int status;
};

class FakeProcess : public ProcessServices {
 public:
  std::string ExecutablePath() override { return executable_path; }
  [[noreturn]] void Exit(int status) override { throw ProcessExit{status}; }
  std::string executable_path = "/opt/codexel/bin/codexel";
};

struct HelpShown {
  std::string path, html, section;
  bool operator==(const HelpShown&) const = default;
};

class RecordingHelp : public HelpViewer {
 public:
  void Show(const std::string& path, const std::string& html, const std::string& section) override {
    shown.push_back({path, html, section});
  }
  std::vector<HelpShown> shown;
};

// Files held in memory. A path can be made to fail when it is staged (on
// open, or on write as a full disk would) or when it is put in place, and
// when it is read (on open, or on the first read); a batch puts its files
// in place all together or not at all.
class MemoryFileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override { return files.count(path) > 0; }
  bool Remove(const std::string& path) override {
    removed.push_back(path);
    return files.erase(path) > 0;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end()) return false;
    files[to] = it->second;
    files.erase(from);
    renamed.emplace_back(from, to);
    return true;
  }
  std::unique_ptr<std::istream> OpenForReading(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end() || fail_read_open.count(path)) return nullptr;
    auto in = std::make_unique<std::istringstream>(it->second);
    if (fail_read.count(path)) in->setstate(std::ios::badbit);
    return in;
  }
  std::unique_ptr<FileBatch> StartBatch() override { return std::make_unique<Batch>(*this); }

  std::map<std::string, std::string> files;
  std::map<std::string, bool> fail_open;
  std::map<std::string, bool> fail_write;
  std::map<std::string, bool> fail_commit;
  std::map<std::string, bool> fail_read_open;
  std::map<std::string, bool> fail_read;
  std::vector<std::string> written;  // in the order they were put in place
  std::vector<std::string> removed;
  std::vector<std::pair<std::string, std::string>> renamed;

 private:
  class Batch : public FileBatch {
   public:
    explicit Batch(MemoryFileSystem& owner) : owner_(owner) {}
    WriteOutcome Stage(const std::string& path,
                       const std::function<void(std::ostream&)>& write) override {
      using Failure = WriteOutcome::Failure;
      if (owner_.fail_open.count(path)) return {Failure::kOpen, "Permission denied"};
      std::ostringstream out;
      write(out);
      if (owner_.fail_write.count(path)) return {Failure::kWrite, "No space left on device"};
      staged_.emplace_back(path, out.str());
      return {};
    }
    std::optional<FileFailure> Commit() override {
      for (const auto& [path, bytes] : staged_) {
        if (owner_.fail_commit.count(path)) {
          staged_.clear();
          return FileFailure{path, {WriteOutcome::Failure::kWrite, "Input/output error"}};
        }
      }
      for (const auto& [path, bytes] : staged_) {
        owner_.files[path] = bytes;
        owner_.written.push_back(path);
      }
      staged_.clear();
      return std::nullopt;
    }
    void Discard() override { staged_.clear(); }

   private:
    MemoryFileSystem& owner_;
    std::vector<std::pair<std::string, std::string>> staged_;
  };
};

// The services of one test, all doubles.
struct FakeServices {
  RecordingMessages messages;
  RecordingNotifier notifier;
  FakeTextMetrics metrics;
  MemoryFileSystem files;
  FakeProcess process;
  RecordingHelp help;
  PlatformServices services{messages, notifier, metrics, files, process, &help};
};

}  // namespace codexel::testing
