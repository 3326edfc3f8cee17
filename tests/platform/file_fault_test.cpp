// The files of a variation on a real file system under hostile conditions:
// a full disk (a file-size limit), links, pipes and devices, read-only files
// and directories, an unprivileged user, names at the length limit, huge
// damaged files. codexel-gen runs as a child process, with the limit, the
// user and the signal dispositions a user's run would have. After every
// failure the directory holds exactly what it held, byte for byte; after
// every success its files are those of a clean run with the same choices.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix_files.h"
#include "tests/support/test_files.h"

namespace codexel {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteText;

constexpr uid_t kNobody = 65534;
constexpr double kChildTimeout = 10;  // seconds; a hang shows as a failure

bool IsRoot() { return ::geteuid() == 0; }

// A fresh directory, removed with everything in it (read-only parts too).
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "codexel-fault-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code error;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
    for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
      if (entry.is_directory() && !entry.is_symlink()) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
      }
    }
    fs::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Every entry under `dir`, links not followed: its kind, permissions, owner
// and bytes or link target.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take(const fs::path& dir) {
  Snapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = entry.path().lexically_relative(dir).string();
    struct stat info {};
    ::lstat(entry.path().c_str(), &info);
    std::string described = std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) +
                            ":" + std::to_string(info.st_gid) + " ";
    if (S_ISREG(info.st_mode)) described += ReadFile(entry.path().string());
    if (S_ISLNK(info.st_mode)) described += fs::read_symlink(entry.path()).string();
    snapshot[name] = described;
  }
  return snapshot;
}

std::set<std::string> Names(const Snapshot& snapshot) {
  std::set<std::string> names;
  for (const auto& [name, described] : snapshot) names.insert(name);
  return names;
}

// ---- codexel-gen as a child process ----

struct Conditions {
  bool unprivileged = false;  // as "nobody" when the test runs as root
  rlim_t file_size = RLIM_INFINITY;
};

struct ChildRun {
  int status = -1;  // exit status; -1 when it did not exit by itself
  std::string out;
  std::string err;
  double seconds = 0;
  long peak_kb = 0;  // peak resident memory
};

ChildRun RunGen(const std::vector<std::string>& args, const fs::path& dir,
                const Conditions& conditions = {}) {
  TempDir logs;
  const std::string out_path = (logs.path() / "out").string();
  const std::string err_path = (logs.path() / "err").string();
  std::vector<std::string> argv_text = {CODEXEL_GEN_PATH};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    // As a shell would start it: the default answer to SIGXFSZ is to die.
    ::signal(SIGXFSZ, SIG_DFL);
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    rlimit limit{conditions.file_size, conditions.file_size};
    if (conditions.file_size != RLIM_INFINITY && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
      ::_exit(126);
    }
    if (conditions.unprivileged && IsRoot() &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(126);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ChildRun run;
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(kChildTimeout)) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &usage);
      ADD_FAILURE() << "codexel-gen did not end within " << kChildTimeout << " s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (WIFSIGNALED(status)) ADD_FAILURE() << "codexel-gen died of signal " << WTERMSIG(status);
  run.peak_kb = usage.ru_maxrss;
  run.out = ReadFile(out_path);
  run.err = ReadFile(err_path);
  return run;
}

// Hands everything under `dir` (and `dir`) to "nobody".
void GiveToNobody(const fs::path& dir) {
  ::lchown(dir.c_str(), kNobody, kNobody);
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    ::lchown(entry.path().c_str(), kNobody, kNobody);
  }
}

// ---- The table ----

struct FaultCase {
  const char* name;
  std::function<void(const fs::path&)> prepare;
  std::vector<std::string> args;
  Conditions conditions;
  int status;
  std::string err;  // all of standard error
  bool device = false;  // a pipe or device is involved: it must not hold the run up
  // Success: the arguments of the clean run to compare with (default: args),
  // names expected beyond the old and the clean run's, and further checks.
  std::vector<std::string> reference_args = {};
  std::set<std::string> extra_names = {};
  std::function<void(const fs::path&)> check = nullptr;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

void Old(const fs::path& dir, const std::string& name, const std::string& text, int mode = 0644) {
  WriteText((dir / name).string(), text);
  fs::permissions(dir / name, static_cast<fs::perms>(mode));
}

std::string Error(const std::string& text) { return "codexel-gen: " + text + "\n"; }

const std::string kName250(250, 'n');
const std::string kName252(252, 'n');
const std::string kNoVariation =
    Error("warning: rs.cnx records no RS variation; the new-variation defaults were used");

void OldDecoderFiles(const fs::path& dir) {
  Old(dir, "rs.cnx", "an earlier variation\n");
  Old(dir, "rs.vec", "its vectors\n");
  Old(dir, "inv_4_19.hex", "shared by other decoders\n");
}

void ReadOnlyDirectory(const fs::path& dir) { fs::permissions(dir, static_cast<fs::perms>(0555)); }

std::vector<FaultCase> Cases() {
  const Conditions unprivileged{.unprivileged = true};
  return {
      // All or nothing: the .cnx fails last, after the others were staged.
      {"FullDiskKeepsTheOldVariation", OldDecoderFiles, {"--decoder", "rs.tdf"},
       {.file_size = 2048}, 1, Error("rs.cnx: File too large")},
      // Names at the limit, temporary names within it.
      {"NameOf250Characters", nullptr, {"--decoder", kName250 + ".tdf"}, {}, 0, ""},
      {"NameBeyondTheLimit",
       [](const fs::path& dir) { Old(dir, "inv_4_19.hex", "shared\n"); },
       {"--decoder", kName252 + ".tdf"}, {}, 1, Error(kName252 + ".vec: File name too long")},
      // Links are followed; modes and owners stay.
      {"LinkIsFollowed",
       [](const fs::path& dir) {
         fs::create_directory(dir / "real");
         Old(dir, "real/target.vec", "old vectors\n", 0640);
         fs::create_symlink("real/target.vec", dir / "rs.vec");
       },
       {"rs.tdf"}, {}, 0, "", false, {}, {},
       [](const fs::path& dir) {
         EXPECT_EQ(fs::read_symlink(dir / "rs.vec"), "real/target.vec");
         EXPECT_EQ(fs::status(dir / "real/target.vec").permissions(),
                   static_cast<fs::perms>(0640));
       }},
      {"DanglingLinkMakesItsTarget",
       [](const fs::path& dir) {
         fs::create_directory(dir / "real");
         fs::create_symlink("real/made.cnx", dir / "rs.cnx");
       },
       {"rs.tdf"}, {}, 0, "", false, {}, {"real/made.cnx"},
       [](const fs::path& dir) { EXPECT_TRUE(fs::is_symlink(dir / "rs.cnx")); }},
      {"ModeAndOwnerAreKept",
       [](const fs::path& dir) {
         Old(dir, "rs.cnx", "old\n", 0604);
         if (IsRoot()) ::chown((dir / "rs.cnx").c_str(), kNobody, kNobody);
       },
       {"rs.tdf"}, {}, 0, "", false, {}, {},
       [](const fs::path& dir) {
         struct stat info {};
         ASSERT_EQ(::stat((dir / "rs.cnx").c_str(), &info), 0);
         EXPECT_EQ(info.st_mode & 07777, 0604u);
         if (IsRoot()) {
           EXPECT_EQ(info.st_uid, kNobody);
         }
       }},
      // Read-only files and directories, for a user the permissions bind.
      {"ReadOnlyFileIsRefused", [](const fs::path& dir) { Old(dir, "rs.cnx", "old\n", 0444); },
       {"rs.tdf"}, unprivileged, 1, Error("rs.cnx: Permission denied")},
      {"ReadOnlyDirectoryIsRewrittenInPlace",
       [](const fs::path& dir) {
         Old(dir, "rs.cnx", std::string(9000, '#'));  // longer than the new one
         Old(dir, "rs.vec", "short\n");
         ReadOnlyDirectory(dir);
       },
       {"rs.tdf"}, unprivileged, 0, ""},
      {"ReadOnlyDirectoryWithoutTheVectorFile",
       [](const fs::path& dir) {
         Old(dir, "rs.cnx", "old\n");
         ReadOnlyDirectory(dir);
       },
       {"rs.tdf"}, unprivileged, 1, Error("rs.vec: Permission denied")},
      {"ReadOnlyDirectoryAndFullDisk",
       [](const fs::path& dir) {
         Old(dir, "rs.cnx", "old variation\n");
         Old(dir, "rs.vec", "old vectors\n");
         ReadOnlyDirectory(dir);
       },
       {"rs.tdf"}, {.unprivileged = true, .file_size = 2048}, 1, Error("rs.cnx: File too large")},
      // Pipes and devices are neither read nor written through.
      {"PipeReadInEditMode", [](const fs::path& dir) { ::mkfifo((dir / "rs.cnx").c_str(), 0644); },
       {"--edit", "rs.tdf"}, {}, 1, Error("Can't open file rs.cnx"), true},
      {"LinkToZeroReadInEditMode",
       [](const fs::path& dir) { fs::create_symlink("/dev/zero", dir / "rs.cnx"); },
       {"--edit", "rs.tdf"}, {}, 1, Error("Can't open file rs.cnx"), true},
      {"PipeAsVectorFile", [](const fs::path& dir) { ::mkfifo((dir / "rs.vec").c_str(), 0644); },
       {"rs.tdf"}, {}, 1, Error("rs.vec: Not a regular file"), true},
      {"LinkToZeroAsMemoryFile",
       [](const fs::path& dir) { fs::create_symlink("/dev/zero", dir / "inv_4_19.hex"); },
       {"--decoder", "rs.tdf"}, {}, 1, Error("inv_4_19.hex: Not a regular file"), true},
      // A backslash is part of a file name here.
      {"BackslashInTheName", nullptr, {"--decoder", "a\\b.tdf"}, {}, 0, "", false, {}, {},
       [](const fs::path& dir) {
         EXPECT_TRUE(fs::exists(dir / "a\\b.cnx"));
         EXPECT_TRUE(fs::exists(dir / "inv_4_19.hex"));
       }},
      // Edit mode on a file without a variation says so.
      {"EditOfABinaryFile",
       [](const fs::path& dir) {
         std::string bytes;
         for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919) % 256);
         Old(dir, "rs.cnx", bytes);
       },
       {"--edit", "rs.tdf"}, {}, 0, kNoVariation, false, {"rs.tdf"}},
      {"EmptyBaseName", [](const fs::path& dir) { fs::create_directory(dir / "sub"); },
       {"sub/.tdf"}, {}, 1,
       Error("sub/.tdf: the design file name has nothing before its extension")},
  };
}

class FileFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FileFaultTest, LeavesTheOldFilesOrAWholeVariation) {
  const FaultCase& c = GetParam();
  TempDir work;
  ASSERT_FALSE(work.path().empty());
  if (c.prepare) c.prepare(work.path());
  if (c.conditions.unprivileged && IsRoot()) GiveToNobody(work.path());
  const Snapshot before = Take(work.path());

  const ChildRun run = RunGen(c.args, work.path(), c.conditions);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.err, c.err);
  if (c.device) {
    EXPECT_LT(run.seconds, 1.0) << "a pipe or device held the run up";
  }

  if (c.status != 0) {
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Take(work.path()), before) << "every file as it was, and no temporary file";
    return;
  }
  TempDir clean;
  ASSERT_EQ(RunGen(c.reference_args.empty() ? c.args : c.reference_args, clean.path()).status,
            0);
  const Snapshot reference = Take(clean.path());
  std::set<std::string> names = Names(before);
  for (const std::string& name : Names(reference)) {
    const fs::path path = work.path() / name;
    EXPECT_TRUE(ReadFile(path.string()) == ReadFile((clean.path() / name).string()))
        << name << " is not the clean run's";
    if (!names.count(name)) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      EXPECT_EQ(fs::status(path).permissions(), static_cast<fs::perms>(0666 & ~mask))
          << "a new " << name << " has the ordinary permissions";
    }
    names.insert(name);
  }
  names.insert(c.extra_names.begin(), c.extra_names.end());
  EXPECT_EQ(Names(Take(work.path())), names) << "no temporary file is left behind";
  if (c.check) c.check(work.path());
}

INSTANTIATE_TEST_SUITE_P(Cases, FileFaultTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

std::size_t OpenDescriptors() {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"),
                                                fs::directory_iterator()));
}

// A rename that fails part-way: the files already in place get their old
// bytes back.
TEST(FileBatchTest, FailedRenamePutsTheEarlierFilesBack) {
  TempDir work;
  const fs::path& dir = work.path();
  Old(dir, "rs.vec", "old vectors\n");
  const Snapshot before = Take(dir);
  PosixFileSystem files;
  const auto batch = files.StartBatch();
  const auto text = [](const char* bytes) { return [bytes](std::ostream& out) { out << bytes; }; };
  ASSERT_TRUE(batch->Stage((dir / "rs.vec").string(), text("new vectors\n")).ok());
  ASSERT_TRUE(batch->Stage((dir / "rs.cnx").string(), text("new variation\n")).ok());
  fs::create_directories(dir / "rs.cnx" / "in the way");
  const auto failure = batch->Commit();
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, (dir / "rs.cnx").string());
  EXPECT_EQ(failure->outcome.failure, WriteOutcome::Failure::kWrite);
  fs::remove_all(dir / "rs.cnx");
  EXPECT_EQ(Take(dir), before) << "old bytes back, no temporary file or second name left";
}

// A batch given up before its commit (a later file of the run failed)
// leaves the directory and the process as they were.
TEST(FileBatchTest, AbandonedBatchLeavesNothingOpenOrWritten) {
  TempDir work;
  Old(work.path(), "rs.vec", "old vectors\n");
  const Snapshot before = Take(work.path());
  const std::size_t descriptors = OpenDescriptors();
  PosixFileSystem files;
  auto batch = files.StartBatch();
  for (const char* name : {"rs.vec", "rs.cnx"}) {
    const auto text = [](std::ostream& out) { out << "new\n"; };
    ASSERT_TRUE(batch->Stage((work.path() / name).string(), text).ok());
  }
  batch.reset();
  EXPECT_EQ(Take(work.path()), before);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

#if defined(__SANITIZE_ADDRESS__)
// A sanitizer's shadow memory and checks say nothing of the program's own
// figures: there a smaller file only shows that it is read all the same.
constexpr std::size_t kDamagedFileSize = 5u << 20;
constexpr bool kMeasured = false;
#else
constexpr std::size_t kDamagedFileSize = 50u << 20;
constexpr bool kMeasured = true;
#endif

// Reading keeps its memory whatever the file's size: 50 MB wizard
// information files in edit mode, of mixed damage and of empty lines.
TEST(DamagedFileTest, FiftyMegabytesAreReadInBoundedMemoryAndTime) {
  TempDir small;
  const std::string decoder = "PRIVATE: Enc_Dec NUMERIC \"0\"\n";
  Old(small.path(), "rs.cnx", decoder);
  const ChildRun baseline = RunGen({"--edit", "--quiet", "rs.tdf"}, small.path());
  ASSERT_EQ(baseline.status, 0) << baseline.err;
  std::cout << "a small file: peak " << baseline.peak_kb / 1024.0 << " MB in " << baseline.seconds
            << " s\n";

  std::string mixed = decoder;
  mixed += std::string(300, '\n');                    // empty lines
  mixed += std::string(700, 'x') + "\n";              // a line read in pieces
  mixed += std::string("\0\xff\x01 binary\r\n", 12);  // bytes of no text
  mixed += "CONSTANT: m NUMERIC \"\n";                 // a quote never closed
  for (int i = 0; i < 20; ++i) mixed += "PRIVATE: p" + std::to_string(i) + " NUMERIC \"1\"\n";
  for (const auto& [kind, block] : {std::pair{"mixed damage", mixed},
                                    std::pair{"empty lines", std::string(4096, '\n')}}) {
    TempDir work;
    {
      std::ofstream out(work.path() / "rs.cnx", std::ios::binary);
      out << decoder;
      for (std::size_t size = 0; size < kDamagedFileSize; size += block.size()) out << block;
    }
    const ChildRun run = RunGen({"--edit", "--quiet", "rs.tdf"}, work.path());
    EXPECT_EQ(run.status, 0) << run.err;
    std::cout << (kDamagedFileSize >> 20) << " MB of " << kind << ": peak "
              << run.peak_kb / 1024.0 << " MB in " << run.seconds << " s\n";
    std::string key = std::string(kind) + "_peak_kb";
    std::replace(key.begin(), key.end(), ' ', '_');
    ::testing::Test::RecordProperty(key, std::to_string(run.peak_kb));
    if (kMeasured) {
      EXPECT_LT(run.peak_kb, 64 * 1024) << kind;
      EXPECT_LT(run.seconds, 5.0) << kind;
    }
    EXPECT_TRUE(fs::exists(work.path() / "inv_4_19.hex")) << "read as the decoder it records";
  }
}

}  // namespace
}  // namespace codexel
