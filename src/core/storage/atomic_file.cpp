// The one way the program replaces a file it writes: project files, settings, images.
#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string>

namespace kelvaro {
namespace {

bool writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A new, exclusive file beside the target; -1 when none can be made.
int createTemporary(const std::filesystem::path& target, mode_t mode, std::string& tempPath) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = target.string() + ".~" + std::to_string(random() % 1000000) + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void syncDirectory(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // failing here loses nothing that was there before
  ::close(fd);
}

}  // namespace

bool replaceFile(const std::filesystem::path& target, std::string_view bytes, const ReplaceOptions& options) {
  std::error_code ec;
  std::filesystem::path finalPath = target;
  if (std::filesystem::is_symlink(target, ec)) {
    finalPath = std::filesystem::weakly_canonical(target, ec);
    if (ec) return false;
  }
  const std::filesystem::path dir = finalPath.parent_path();
  if (options.createDirectories && !dir.empty()) {
    std::filesystem::create_directories(dir, ec);
    if (ec) return false;
  }

  std::optional<mode_t> oldMode;
  struct stat old {};
  if (::stat(finalPath.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) return false;
    oldMode = old.st_mode & 07777;
  }

  std::string tempPath;
  const int fd = createTemporary(finalPath, options.newFileMode, tempPath);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes);
  if (oldMode) ok = ok && ::fchmod(fd, *oldMode) == 0;
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(tempPath.c_str(), finalPath.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  syncDirectory(dir);
  return true;
}

}  // namespace kelvaro
