#include "platform/posix_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <istream>
#include <random>
#include <sstream>
#include <streambuf>
#include <vector>

namespace codexel {

namespace {

constexpr std::size_t kTemporaryNameMax = 8;
constexpr std::size_t kTemporaryNameMin = 3;
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit
constexpr int kNameAttempts = 100;
// Stands for "no regular file" where a system error number is expected.
constexpr int kNotRegular = -1;

std::string ErrorText(int error) {
  return error == kNotRegular ? "Not a regular file" : std::strerror(error);
}

WriteOutcome Failed(WriteOutcome::Failure kind, int error) { return {kind, ErrorText(error)}; }

// Only '/' separates directories here.
std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) { return path.substr(DirectoryOf(path).size()); }

// Writes all of `data` at `offset`; 0 or the error number.
int WriteAll(int fd, const std::string& data, off_t offset) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done,
                               offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// Fills `data` (sized by the caller) from the start of the file.
int ReadAll(int fd, std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::pread(fd, data.data() + done, data.size() - done,
                              static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  data.resize(done);
  return 0;
}

int Sync(int fd) {
  // A file system without a flush of its own has nothing to flush.
  return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
}

// Starts writing the file's bytes to the disk without waiting, so that the
// batch's later work and the other files' writes overlap with it; the
// fsync at commit then waits for little. Only a hint: failures show there.
void StartWriteback(int fd) {
#ifdef SYNC_FILE_RANGE_WRITE
  (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
#endif
}

// The file a write to `path` lands on: symbolic links in its last component
// are followed; a dangling link names the file to create.
int ResolveLinks(const std::string& path, std::string& resolved) {
  resolved = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(resolved.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(resolved.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) >= target.size()) return ENAMETOOLONG;
    target.resize(static_cast<std::size_t>(n));
    resolved = target.front() == '/' ? target : DirectoryOf(resolved) + target;
  }
  return ELOOP;
}

int CheckNameFits(const std::string& directory, const std::string& name) {
  const long limit = ::pathconf(directory.empty() ? "." : directory.c_str(), _PC_NAME_MAX);
  return limit > 0 && name.size() > static_cast<std::size_t>(limit) ? ENAMETOOLONG : 0;
}

// Opens without blocking on a pipe and without making a terminal ours.
int OpenExisting(const std::string& path, int access) {
  return ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// An existing regular file is replaced only when the user may write it.
// Asked without opening it, so that nobody watching it sees a write.
int CheckWritable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0 ? 0 : errno; }

// A directory where no new file can be made; its existing files may still
// be writable.
bool NoNewFiles(int error) {
  return error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT;
}

// The old file's owner and permissions for its replacement, as far as this
// user may set them.
int MatchOwnerAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

// Reads the regular file through its descriptor, in pieces of a fixed size.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : fd_(fd) {}
  ~DescriptorBuffer() override { ::close(fd_); }
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    ssize_t n = 0;
    do {
      n = ::read(fd_, buffer_.data(), buffer_.size());
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
    return traits_type::to_int_type(*gptr());
  }

 private:
  int fd_;
  std::array<char, 64 * 1024> buffer_{};
};

class DescriptorStream : public std::istream {
 public:
  explicit DescriptorStream(int fd) : std::istream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

 private:
  DescriptorBuffer buffer_;
};

// One file of a batch.
struct Staged {
  std::string target;    // as the caller named it
  std::string resolved;  // the file that is replaced
  std::string temporary;  // the staged bytes; empty when rewritten in place
  std::string backup;     // a second name of the old file while committing
  bool existed = false;
  // Rewriting in place: the new bytes, and the old ones they cover.
  bool in_place = false;
  std::string data;
  std::string saved;
  off_t old_size = 0;
  // The temporary until its bytes are known to be on disk; the old file
  // while it is rewritten in place.
  int fd = -1;
};

class PosixFileBatch : public FileBatch {
 public:
  PosixFileBatch() : random_(std::random_device{}()) {}
  ~PosixFileBatch() override { Discard(); }
  PosixFileBatch(const PosixFileBatch&) = delete;
  PosixFileBatch& operator=(const PosixFileBatch&) = delete;

  WriteOutcome Stage(const std::string& path,
                     const std::function<void(std::ostream&)>& write) override;
  std::optional<FileFailure> Commit() override;
  void Discard() override;

 private:
  std::string TemporaryName(const std::string& name);
  int CreateTemporary(const std::string& directory, const std::string& name, mode_t mode,
                      std::string& path);
  static int SyncTemporary(Staged& file);
  void MakeBackup(Staged& file);
  int PutInPlace(Staged& file);
  static int RewriteInPlace(Staged& file);
  static void RestoreInPlace(Staged& file);
  void RollBack(Staged& file);

  std::vector<Staged> files_;
  std::mt19937 random_;
};

std::string PosixFileBatch::TemporaryName(const std::string& name) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  // A leading ".~" and no other dot: never the name of a file with an
  // extension, which every file of a variation has.
  std::string temporary = ".~";
  while (temporary.size() < TemporaryNameLength(name)) temporary += kLetters[pick(random_)];
  return temporary;
}

int PosixFileBatch::CreateTemporary(const std::string& directory, const std::string& name,
                                    mode_t mode, std::string& path) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    path = directory + TemporaryName(name);
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

WriteOutcome PosixFileBatch::Stage(const std::string& path,
                                   const std::function<void(std::ostream&)>& write) {
  using Failure = WriteOutcome::Failure;
  Staged file;
  file.target = path;
  if (const int error = ResolveLinks(path, file.resolved)) return Failed(Failure::kOpen, error);
  const std::string directory = DirectoryOf(file.resolved);
  const std::string name = NameOf(file.resolved);
  if (const int error = CheckNameFits(directory, name)) return Failed(Failure::kOpen, error);
  struct stat old {};
  file.existed = ::stat(file.resolved.c_str(), &old) == 0;
  if (file.existed) {
    if (S_ISDIR(old.st_mode)) return Failed(Failure::kOpen, EISDIR);
    if (!S_ISREG(old.st_mode)) return Failed(Failure::kOpen, kNotRegular);
    if (const int error = CheckWritable(file.resolved)) return Failed(Failure::kOpen, error);
  }

  std::ostringstream bytes;
  write(bytes);
  file.data = std::move(bytes).str();

  // A new file gets the ordinary permissions (the umask applies); a
  // replacement stays private until it has the old file's.
  const int fd = CreateTemporary(directory, name, file.existed ? 0600 : 0666, file.temporary);
  if (fd < 0) {
    const int error = errno;
    file.temporary.clear();
    if (file.existed && NoNewFiles(error)) {
      file.in_place = true;
      files_.push_back(std::move(file));
      return {};
    }
    return Failed(Failure::kOpen, error);
  }
  int error = WriteAll(fd, file.data, 0);
  if (error == 0 && file.existed) error = MatchOwnerAndMode(fd, old);
  if (error != 0) {
    ::close(fd);
    ::unlink(file.temporary.c_str());
    return Failed(Failure::kWrite, error);
  }
  StartWriteback(fd);
  file.fd = fd;
  file.data.clear();  // the bytes are in the temporary file
  files_.push_back(std::move(file));
  return {};
}

int PosixFileBatch::SyncTemporary(Staged& file) {
  if (file.in_place || file.fd < 0) return 0;
  int error = Sync(file.fd);
  if (::close(file.fd) != 0 && error == 0) error = errno;
  file.fd = -1;
  return error;
}

void PosixFileBatch::MakeBackup(Staged& file) {
  // Without a second name (a file system without hard links) the old file
  // cannot come back should a later file fail; such a failure is unlikely
  // once every file has been staged.
  const std::string directory = DirectoryOf(file.resolved);
  const std::string name = NameOf(file.resolved);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string backup = directory + TemporaryName(name);
    if (::link(file.resolved.c_str(), backup.c_str()) == 0) {
      file.backup = std::move(backup);
      return;
    }
    if (errno != EEXIST) return;
  }
}

int PosixFileBatch::PutInPlace(Staged& file) {
  if (file.existed) MakeBackup(file);
  if (::rename(file.temporary.c_str(), file.resolved.c_str()) != 0) return errno;
  file.temporary.clear();
  return 0;
}

int PosixFileBatch::RewriteInPlace(Staged& file) {
  file.fd = OpenExisting(file.resolved, O_RDWR);
  if (file.fd < 0) return errno;
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return kNotRegular;
  file.old_size = info.st_size;
  file.saved.resize(std::min(file.data.size(), static_cast<std::size_t>(info.st_size)));
  if (const int error = ReadAll(file.fd, file.saved)) return error;
  int error = WriteAll(file.fd, file.data, 0);
  if (error == 0) error = Sync(file.fd);
  if (error != 0) RestoreInPlace(file);
  return error;
}

void PosixFileBatch::RestoreInPlace(Staged& file) {
  if (file.fd < 0) return;
  (void)WriteAll(file.fd, file.saved, 0);
  (void)::ftruncate(file.fd, file.old_size);
  (void)::fsync(file.fd);
}

void PosixFileBatch::RollBack(Staged& file) {
  if (file.in_place) {
    RestoreInPlace(file);
  } else if (!file.backup.empty()) {
    if (::rename(file.backup.c_str(), file.resolved.c_str()) == 0) file.backup.clear();
  } else if (!file.existed) {
    ::unlink(file.resolved.c_str());
  }
}

std::optional<FileFailure> PosixFileBatch::Commit() {
  // Every new file is on disk before any old one is replaced.
  for (Staged& file : files_) {
    if (const int error = SyncTemporary(file)) {
      FileFailure failure{file.target, Failed(WriteOutcome::Failure::kWrite, error)};
      Discard();
      return failure;
    }
  }
  std::size_t done = 0;  // files put in place
  std::size_t failed = 0;
  int error = 0;
  for (; done < files_.size(); ++done) {
    Staged& file = files_[done];
    error = file.in_place ? RewriteInPlace(file) : PutInPlace(file);
    if (error != 0) {
      failed = done;
      break;
    }
  }
  // Files rewritten in place lose their old tail last, once nothing else
  // can fail.
  for (std::size_t i = 0; error == 0 && i < files_.size(); ++i) {
    const Staged& file = files_[i];
    const auto size = static_cast<off_t>(file.data.size());
    if (file.in_place && size < file.old_size && ::ftruncate(file.fd, size) != 0) {
      error = errno;
      failed = i;
    }
  }
  if (error != 0) {
    for (std::size_t i = done; i-- > 0;) RollBack(files_[i]);
    FileFailure failure{files_[failed].target, Failed(WriteOutcome::Failure::kWrite, error)};
    Discard();
    return failure;
  }
  Discard();  // what is left are the old files' second names and descriptors
  return std::nullopt;
}

void PosixFileBatch::Discard() {
  for (Staged& file : files_) {
    if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
    if (!file.backup.empty()) ::unlink(file.backup.c_str());
    if (file.fd >= 0) ::close(file.fd);
  }
  files_.clear();
}

}  // namespace

std::size_t TemporaryNameLength(const std::string& name) {
  return std::clamp(name.size(), kTemporaryNameMin, kTemporaryNameMax);
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

std::unique_ptr<std::istream> PosixFileSystem::OpenForReading(const std::string& path) {
  // Checked before the open, so that a pipe or device is never opened, and
  // again on the descriptor, in case the name changed in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const int fd = OpenExisting(path, O_RDONLY);
  if (fd < 0) return nullptr;
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<DescriptorStream>(fd);
}

std::unique_ptr<FileBatch> PosixFileSystem::StartBatch() {
  return std::make_unique<PosixFileBatch>();
}

}  // namespace codexel
