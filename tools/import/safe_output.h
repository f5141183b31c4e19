// Writing into a scene folder without ever writing through what is already
// there.
//
// Each file is written to a new temporary file in the same folder, created
// exclusively and without following links, and renamed over its name only
// once it is complete. A symbolic or hard link planted under that name is
// thereby replaced, never written through, and a failed write leaves the
// old file as it was.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

class SafeOutputFile {
 public:
  SafeOutputFile() = default;
  // Removes the temporary file unless Commit() succeeded.
  ~SafeOutputFile();
  SafeOutputFile(const SafeOutputFile&) = delete;
  SafeOutputFile& operator=(const SafeOutputFile&) = delete;

  // Creates the temporary file for `dir`/`name`. Returns false with a reason.
  bool Open(const std::filesystem::path& dir, const std::string& name, std::string& error);
  std::FILE* file() const { return file_; }
  // Flushes and closes the temporary file and renames it over the final
  // name. Returns false with a reason (a full disk, say); the temporary file
  // is then removed and the final name left as it was.
  bool Commit(std::string& error);

 private:
  std::FILE* file_ = nullptr;
  std::filesystem::path temporary_;
  std::filesystem::path final_;
};

// The first of `names` that already exists in `dir` as anything (a file, a
// folder, a link, even a dangling one), or "" when none does.
std::string FirstExistingName(const std::filesystem::path& dir,
                              const std::vector<std::string>& names);
