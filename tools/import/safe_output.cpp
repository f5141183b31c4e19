#include "tools/import/safe_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Reason(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

SafeOutputFile::~SafeOutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool SafeOutputFile::Open(const std::filesystem::path& dir, const std::string& name,
                          std::string& error) {
  final_ = dir / name;
  // A name left by an earlier, interrupted run is simply passed by.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        dir / ("." + name + ".part" + std::to_string(::getpid()) + "_" + std::to_string(attempt));
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = Reason("cannot create", candidate);
      return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
      error = Reason("cannot write", candidate);
      ::close(fd);
      ::unlink(candidate.c_str());
      return false;
    }
    temporary_ = candidate;
    return true;
  }
  error = "cannot create a temporary file in " + dir.string();
  return false;
}

bool SafeOutputFile::Commit(std::string& error) {
  std::FILE* file = file_;
  file_ = nullptr;
  const bool written = std::fflush(file) == 0 && !std::ferror(file);
  const int savedErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    errno = written ? errno : savedErrno;
    error = Reason("cannot write", final_);
    return false;
  }
  if (std::rename(temporary_.c_str(), final_.c_str()) != 0) {
    error = Reason("cannot replace", final_);
    return false;
  }
  temporary_.clear();
  return true;
}

std::string FirstExistingName(const std::filesystem::path& dir,
                              const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    struct stat facts {};
    if (::lstat((dir / name).c_str(), &facts) == 0) return name;
  }
  return "";
}
