// The one way the program replaces a file it writes: project files, settings, images.
#include "storage/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

// More links than this in a row are taken for a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kTemporarySuffix = ".~tmp";

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

// The file a chain of symbolic links ends in, whether it exists or not; nothing for a loop.
// Followed by hand because the library's canonical forms stop at a link whose target is
// missing, and renaming over the link would then replace it with a plain file.
std::optional<fs::path> linkTarget(const fs::path& target, bool& followed) {
  fs::path path = target;
  followed = false;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = next.is_absolute() ? next : path.parent_path() / next;
    followed = true;
  }
  return std::nullopt;
}

// Takes the lock of an open temporary file without waiting; true when it is held and the
// file is still the one under that name (a clean-up may have removed it in between). Only a
// lock that someone else holds counts against it: on a file system that cannot lock at all,
// saving goes on as it did before there were locks.
bool lockCurrent(int fd, const fs::path& path) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
  struct stat held {}, named {};
  return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// True when nothing is left under the temporary name. A file whose lock nobody holds was left
// by a save that died (the kernel drops the locks of a dead process); it is removed.
bool removeIfStale(const fs::path& temporary) {
  const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  struct stat st {};
  bool removed = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && lockCurrent(fd, temporary))
    removed = ::unlink(temporary.c_str()) == 0;
  ::close(fd);
  return removed;
}

// The temporary file, created new and locked for as long as it is open; -1 when another save
// holds it or it cannot be made.
int createTemporary(const fs::path& temporary, mode_t mode) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno != EEXIST || !removeIfStale(temporary)) return -1;
      continue;
    }
    if (lockCurrent(fd, temporary)) return fd;
    ::close(fd);  // a clean-up removed it between creating and locking: make it again
  }
  return -1;
}

void syncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // failing here loses nothing that was there before
  ::close(fd);
}

}  // namespace

fs::path temporaryPathFor(const fs::path& target) {
  bool followed = false;
  const fs::path finalPath = linkTarget(target, followed).value_or(target);
  return fs::path(finalPath.string() + std::string(kTemporarySuffix));
}

void removeStaleTemporary(const fs::path& target) { removeIfStale(temporaryPathFor(target)); }

bool replaceFile(const fs::path& target, std::string_view bytes, const ReplaceOptions& options) {
  bool followed = false;
  const std::optional<fs::path> resolved = linkTarget(target, followed);
  if (!resolved) return false;
  const fs::path& finalPath = *resolved;
  const fs::path dir = finalPath.parent_path();
  // Only for the file itself: a link that points into a missing directory (a medium that is
  // not mounted) must not make that directory on another disk.
  if (options.createDirectories && !followed && !dir.empty()) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) return false;
  }

  std::optional<mode_t> oldMode;
  struct stat old {};
  if (::stat(finalPath.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) return false;
    oldMode = old.st_mode & 07777;
  }

  const fs::path temporary(finalPath.string() + std::string(kTemporarySuffix));
  const int fd = createTemporary(temporary, options.newFileMode);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes);
  if (oldMode) ok = ok && ::fchmod(fd, *oldMode) == 0;
  ok = ok && ::fsync(fd) == 0;
  // The lock lasts until the file is closed, so the rename happens before it: nobody may take
  // the file for a leftover while it is still being written or moved.
  // The fsync has reported any error of the writes, so closing cannot lose bytes any more.
  ok = ok && ::rename(temporary.c_str(), finalPath.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  ::close(fd);
  if (!ok) return false;
  syncDirectory(dir);
  return true;
}

}  // namespace kelvaro
