#include "store/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

std::string Because(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

// The permissions a plain fopen would have given: what the user's umask allows
// of read and write for all. The temporary file starts private, so nobody
// reads it half-written under its temporary name.
mode_t UsualFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
  const std::size_t slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
  // A hidden name, so a folder listing during the write does not show it as
  // one of the scene's files.
  hiddenPrefix_ = folder + "." + name + ".";
  // Best a file without a name at all, so a program that ends before Commit
  // (killed, or ended by a signal) leaves nothing behind; where the folder's
  // file system cannot make one, or no /proc is mounted to name it through
  // at the end, a new file under a hidden name.
  int fd = access("/proc/self/fd", X_OK) == 0
               ? open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)
               : -1;
  if (fd < 0) {
    std::string pattern = hiddenPrefix_ + "XXXXXX";
    fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
      // A bare name is in the working directory, which the caller knows by
      // the name its user gave it.
      problem_ = Because(folder.empty() ? "cannot create a file there"
                                        : "cannot create a file in " + folder);
      return;
    }
    temporaryPath_ = pattern;
  }
  fchmod(fd, UsualFileMode());
  file_ = fdopen(fd, "w");
  if (file_ == nullptr) {
    problem_ = Because("cannot write " + temporaryPath_);
    close(fd);
    Discard();
  }
}

ReplacingFile::~ReplacingFile() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  Discard();
}

void ReplacingFile::Discard() {
  if (!temporaryPath_.empty()) unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

bool ReplacingFile::Commit(int writeError) {
  if (file_ == nullptr) return false;
  errno = 0;
  int error = writeError;
  if (error == 0 && (std::fflush(file_) != 0 || std::ferror(file_)))
    error = errno != 0 ? errno : EIO;
  const bool named = error != 0 || !temporaryPath_.empty() || GiveHiddenName();
  const int linkError = errno;
  if (std::fclose(file_) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  file_ = nullptr;
  if (!named) {
    errno = linkError;
    problem_ = Because("cannot replace " + path_);
    return false;
  }
  if (error != 0) {
    problem_ = std::string("writing failed: ") + std::strerror(error);
    Discard();
    return false;
  }
  if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    problem_ = Because("cannot replace " + path_);
    Discard();
    return false;
  }
  temporaryPath_.clear();
  return true;
}

bool ReplacingFile::GiveHiddenName() {
  // link() never replaces, so a name that is taken is passed over.
  const std::string unnamed = "/proc/self/fd/" + std::to_string(fileno(file_));
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate =
        hiddenPrefix_ + std::to_string(getpid()) + "-" + std::to_string(attempt);
    if (linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporaryPath_ = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* problem,
                  bool* nameTaken) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (nameTaken != nullptr) *nameTaken = fd < 0 && errno == EEXIST;
  if (fd < 0) {
    if (problem != nullptr) *problem = Because("cannot create " + path);
    return false;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = write(fd, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    written += static_cast<std::size_t>(got);
  }
  const bool whole = written == bytes.size();
  const int writeError = errno;
  if (close(fd) != 0 || !whole) {
    if (problem != nullptr) {
      errno = whole ? errno : writeError;
      *problem = Because("cannot write " + path);
    }
    unlink(path.c_str());
    return false;
  }
  return true;
}
