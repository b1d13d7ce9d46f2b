#include "panels/progress_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SavePhaseHook savePhaseHook = nullptr;

void Reached(SavePhase phase) {
  if (savePhaseHook != nullptr) savePhaseHook(phase);
}

// Closes a descriptor when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  bool Valid() const { return fd_ >= 0; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Follows symbolic links to the file that really gets replaced.
std::string ResolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return path;
    target.resize(static_cast<std::size_t>(n));
    if (target.empty() || target[0] != '/') {
      const std::size_t slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = target;
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files are named "." + the file's name + ".ploxa-PID-N". One whose
// process is gone was left by a save that died between naming and renaming it.
std::string TemporaryPrefix(const std::string& target) { return "." + NameOf(target) + ".ploxa-"; }

void RemoveAbandonedTemporaries(const std::string& folder, const std::string& target) {
  const std::string prefix = TemporaryPrefix(target);
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
  }
  ::closedir(dir);
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

bool WriteInPlace(const std::string& path, std::string_view content) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (!fd.Valid()) return false;
  return WriteAll(fd.Get(), content) && ::fsync(fd.Get()) == 0 && fd.Close();
}

}  // namespace

std::string ProgressFileName(const std::string& programFileName) {
  const std::size_t dot = programFileName.rfind('.');
  std::string name = dot == std::string::npos ? programFileName + ".txt" : programFileName.substr(0, dot + 1) + "txt";
  if (name == programFileName) name += ".txt";
  return name;
}

void ReadProgressLine(const std::uint8_t* data, std::size_t size, std::size_t& position,
                      char (&line)[PROGRESS_LINE_SIZE]) {
  std::size_t length = 0;
  while (position < size && data[position] != '\r' && data[position] != '\n') {
    if (length < PROGRESS_LINE_SIZE - 1) line[length++] = static_cast<char>(data[position]);
    ++position;
  }
  line[length] = '\0';
  while (position < size && data[position] != '\n') ++position;
  if (position < size) ++position;
}

std::string FormatProgress(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += t + "\r\n";
  return out;
}

void SetSavePhaseHook(SavePhaseHook hook) { savePhaseHook = hook; }

bool WriteProgressFile(const std::string& path, std::string_view content) {
  const std::string target = ResolveLinks(path);
  const std::string folder = FolderOf(target);

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return false;
  const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());

  // An unnamed file first: a save that dies before it is named leaves nothing behind.
  bool unnamed = true;
  std::string temporary;
  Descriptor fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (!fd.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    unnamed = false;
    temporary = folder + "/" + TemporaryPrefix(target) + std::to_string(::getpid()) + "-XXXXXX";
    fd.Reset(::mkostemp(temporary.data(), O_CLOEXEC));
  }
  if (!fd.Valid()) {
    const bool folderRefuses = errno == EACCES || errno == EPERM || errno == EROFS;
    return folderRefuses && exists && ::access(target.c_str(), W_OK) == 0 && WriteInPlace(target, content);
  }
  Reached(SavePhase::TemporaryOpened);

  auto abandon = [&] {
    if (!unnamed) ::unlink(temporary.c_str());
    return false;
  };
  if (!WriteAll(fd.Get(), content) || ::fchmod(fd.Get(), mode) != 0 || ::fsync(fd.Get()) != 0) return abandon();
  if (unnamed) {
    static std::atomic<unsigned> counter{0};
    RemoveAbandonedTemporaries(folder, target);
    temporary = folder + "/" + TemporaryPrefix(target) + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::string self = "/proc/self/fd/" + std::to_string(fd.Get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
    unnamed = false;
    Reached(SavePhase::Named);
  }
  if (!fd.Close()) return abandon();
  if (::rename(temporary.c_str(), target.c_str()) != 0) return abandon();
  Reached(SavePhase::Renamed);

  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Valid()) ::fsync(dir.Get());
  return true;
}
