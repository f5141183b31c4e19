// What went wrong while a scene's files were loaded, gathered for one short
// report on standard error.
//
// The viewer's specified outputs (the parse log on standard output, the
// transcript) say nothing a user sees at a glance; a missing file, a rejected
// line or a misspelt key otherwise shows only as a black, half-drawn or
// wrong picture. The summary line counts what morvane-check calls errors,
// names the first at its file and line, and says what to run for the
// details; it stays off standard output, which carries the parse log alone.
// Every line begins with the program's name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "textures/bitmap_status.h"

struct StartupReport {
  bool objectsUnreadable = false;
  std::size_t rejectedLines = 0;
  std::size_t firstRejectedLine = 0;  // 1-based, as editors count
  std::int32_t sceneResult = 0;       // the scene reader's result code
  std::size_t sceneStopLine = 0;      // 1-based line where reading stopped
  std::string transcriptProblem;      // why ogllist.txt was not written; empty when it was
  // What the checker's rules found in the three files, when the check was
  // completed; without it the summary speaks of what the loaders met above.
  bool checked = false;
  std::size_t checkErrors = 0;
  std::size_t checkWarnings = 0;
  std::string firstCheckError;  // "FILE:LINE: MESSAGE"
};

// The summary line (without its line break): the checker's errors, counted,
// with the first named; or, when the check was not completed, the files that
// could not be read and the lines the loaders stopped at or rejected. An
// empty text when there is nothing to say.
std::string DescribeSceneProblems(const StartupReport& report, const char* programName,
                                  const char* sceneFolder);

// The line that says a checked scene loaded without errors (and how many
// warnings the checker has), or an empty text when it did not.
std::string DescribeCleanLoad(const StartupReport& report, const char* programName,
                              const char* sceneFolder);

// Writes the transcript line (naming the scene folder as theSettings has it)
// and the summary line that apply to `errors`. Without a summary, says that
// the scene loaded cleanly when `sayClean` asks (a reload, where the user
// waits to hear that a fix took); otherwise nothing when all went well.
void PrintStartupReport(const StartupReport& report, std::FILE* errors, bool sayClean = false);

// Writes "PROGRAM: textures.txt:LINE: 'NAME' not loaded: MESSAGE" to
// `errors`, for the bitmap of `line` (1-based) that failed with `status`.
void PrintBitmapNotLoaded(std::size_t line, const char* name, BitmapStatus status,
                          std::FILE* errors);
