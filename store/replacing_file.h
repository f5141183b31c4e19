// A file that replaces its name only once it is complete.
//
// Scene folders come from archives, clones and other people, so whatever
// stands under a name the programs write there (a symbolic link to a file
// elsewhere, a hard link, a dangling link, a read-only file) must never be
// written through. The content goes to a new file of its own in the same
// folder (created exclusively, so it cannot be a planted link), and a rename
// puts it in place of the name: the old entry, link or not, is replaced, what
// it pointed to stays untouched, and a reader sees either the old file whole
// or the new one whole, never half of one. Where the file system allows, the
// new file has no name at all until Commit, so a program that ends before it
// (a signal, a kill) leaves nothing behind in the folder.
//
// Uses POSIX calls only; shows nothing and prints nothing. Failures are told
// in words (what failed and the system's reason) for the caller to report.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile {
 public:
  // Opens a new temporary file beside `path`. On failure File() is null and
  // Problem() says why.
  explicit ReplacingFile(std::string path);
  // Removes the temporary file unless Commit() put it in place.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The stream to write to, or null when the temporary file could not be made.
  std::FILE* File() const { return file_; }

  // Closes the stream and renames the file over `path`. When `writeError` is
  // not 0 (the errno of a write the caller saw fail) or anything here fails,
  // the temporary file is removed, whatever stood under `path` stays as it
  // was, and the result is false with Problem() saying why.
  bool Commit(int writeError = 0);

  const std::string& Problem() const { return problem_; }

 private:
  void Discard();
  // Links the unnamed file under a new hidden name; false (errno set) on failure.
  bool GiveHiddenName();

  std::string path_;
  std::string hiddenPrefix_;  // the folder, a dot and the name
  std::string temporaryPath_;
  std::FILE* file_ = nullptr;
  std::string problem_;
};

// Creates `path` as a new file (never replacing or following anything already
// under that name) and writes `bytes` to it. Returns false with `problem` set
// when that fails, and `nameTaken` (when given) telling whether it failed
// because something stands under the name; a file that was created but could
// not be written whole is removed again.
bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* problem,
                  bool* nameTaken = nullptr);
