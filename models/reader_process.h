// The model library runs in a child process, where its crash cannot hurt.
//
// A damaged model file can make the library crash inside its own code, keep
// it busy for minutes, or make it ask for more memory than the machine has.
// So the program forks, and the child alone reads the model, under an
// address-space limit, and hands its answer back through a pipe. The parent
// reads that pipe within the time limit, never longer: when the time is up
// it kills the child. What comes back is decoded as untrusted input
// (reader_answer.h).
//
// Fork only from a process that runs one thread: the child goes on using the
// heap and the library, which a lock held by another thread at the moment of
// the fork would leave locked forever. The programs call this before they
// start any thread of their own. POSIX and Linux calls only; nothing printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "models/imported_model.h"

struct ReaderLimits {
  double seconds = 60;                // wall-clock time the reader may take
  std::uint64_t memoryMegabytes = 0;  // address space it may add; 0: half of physical memory
  std::stop_token stop;               // ends the reading early (the child is killed)
};

// Half of the machine's physical memory, in megabytes (at least 256).
std::uint64_t DefaultMemoryLimitMegabytes();

// How a child ended.
struct ChildOutcome {
  enum class Kind {
    kFinished,  // exited with status 0; `bytes` holds all it wrote
    kExited,    // exited with another status (`status`)
    kCrashed,   // ended by signal `status`
    kTimedOut,  // still running at the time limit, and killed
    kTooLarge,  // wrote more than the limit of bytes, and killed
    kFailed,    // no pipe, no process, or no way to wait: `problem` says why
  };
  Kind kind = Kind::kFailed;
  int status = 0;
  std::vector<std::uint8_t> bytes;
  std::string problem;
};

// Runs `work` in a child process under `limits`, giving it the write end of a
// pipe, and collects what it writes there, up to `maxBytes`. The child ends
// when `work` returns. Returns only when the child has ended and been reaped.
ChildOutcome RunInChild(const ReaderLimits& limits, std::size_t maxBytes,
                        const std::function<void(int writeFd)>& work);

// The file extensions the library reads ("*.obj;*.gltf;..."), as it lists
// them in a child process: a program never has the library run in its own
// process, not even for a list. Empty when the child fails.
std::string ListReadableExtensions();

// Reads the model at `path` with the library in a child process under
// `limits`, and decodes and checks its answer into `model`. Returns false with
// `error` naming what happened: the library's reason, "the model reader
// crashed on this file (signal 11)", "gave up after 60 s", "ran out of
// memory", or a damaged answer.
bool ReadModelInChild(const std::string& path, const ReaderLimits& limits, ImportedModel& model,
                      std::string& error);
