// What went wrong while a scene's files were loaded, gathered for one short
// report on standard error.
//
// The viewer's specified outputs (the parse log on standard output, the
// transcript) say nothing a user sees at a glance; a missing file or a
// rejected line otherwise shows only as a black or half-drawn picture. The
// report names the file, the first line concerned and what to run for the
// details, and stays off standard output, which carries the parse log alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct StartupReport {
  bool objectsUnreadable = false;
  std::size_t rejectedLines = 0;
  std::size_t firstRejectedLine = 0;  // 1-based, as editors count
  std::int32_t sceneResult = 0;       // the scene reader's result code
  std::size_t sceneStopLine = 0;      // 1-based line where reading stopped
  std::string transcriptProblem;      // why ogllist.txt was not written; empty when it was
  // Bitmaps that could not be loaded, counted where no box showed them (a reload).
  std::size_t failedBitmaps = 0;
  std::size_t firstFailedBitmapLine = 0;  // 1-based line of textures.txt
  std::string firstBitmapFailure;         // the loader's message for it
};

// The summary line (without its line break) for files that could not be read
// or lines that were rejected, or an empty text when there were none.
std::string DescribeSceneProblems(const StartupReport& report, const char* programName,
                                  const char* sceneFolder);

// Writes the transcript line (naming the scene folder as theSettings has it)
// and the summary line that apply, each beginning with the program's name, to
// `errors`; nothing when all went well.
void PrintStartupReport(const StartupReport& report, std::FILE* errors);
