// The model library runs in a program of its own, where its crash cannot
// hurt.
//
// A damaged model file can make the library crash inside its own code, keep
// it busy for minutes, or make it ask for more memory than the machine has.
// So the programs never load the library: they start morvane-model-reader,
// which reads the model under an address-space limit and writes its answer
// to its standard output, a pipe. The parent reads that pipe within the time
// limit, never longer: when the time is up it kills the reader. What comes
// back is decoded as untrusted input (reader_answer.h).
//
// The reader is a program, not a forked copy of the caller, because the
// caller may run threads (the viewer imports a dropped model on a worker): a
// forked child that went on using the heap could find a lock that another
// thread held at the moment of the fork, and wait for it forever. Between
// the fork and the exec the child makes system calls only.
//
// POSIX and Linux calls only; nothing printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "models/imported_model.h"

struct ReaderLimits {
  double seconds = 60;                // wall-clock time the reader may take
  std::uint64_t memoryMegabytes = 0;  // address space it may add; 0: half of physical memory
  std::stop_token stop;               // ends the reading early (the reader is killed)
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
    kFailed,    // no pipe, no process, no program, no way to wait, or stopped:
                // `problem` says why
  };
  Kind kind = Kind::kFailed;
  int status = 0;
  std::vector<std::uint8_t> bytes;
  std::string problem;
};

// Runs the program `command[0]` with the arguments that follow, reading from
// /dev/null and writing its errors where this process does, and collects what
// it writes to its standard output, up to `maxBytes`, for at most `seconds`
// or until `stop` is requested. Returns only when the child has ended and
// been reaped. The child dies with this process.
ChildOutcome RunChildProgram(const std::vector<std::string>& command, double seconds,
                             std::stop_token stop, std::size_t maxBytes);

// Where morvane-model-reader is: beside the running program as installed
// (the library-executables folder), or in a build's own layout. Empty when
// it is in neither place.
std::string ModelReaderProgram();

// What the reader says of the library it runs: its version, which is part of
// every cached import's key, and the file extensions it reads
// ("*.obj;*.gltf;..."). Asked once per process; both empty while the reader
// cannot be run (and asked again next time).
struct ModelReaderDescription {
  std::string libraryVersion;
  std::string extensions;
};
ModelReaderDescription DescribeModelReader();

// Reads the model at `path` with the reader under `limits`, and decodes and
// checks its answer into `model`. Returns false with `error` naming what
// happened: the library's reason, "the model reader crashed on this file
// (signal 11)", "gave up after 60 s", "ran out of memory", a damaged answer,
// or a reader that is missing.
bool ReadModelInChild(const std::string& path, const ReaderLimits& limits, ImportedModel& model,
                      std::string& error);
