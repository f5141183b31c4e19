// Notices when a scene's files change on disk: objects.txt, scene.txt,
// textures.txt in the working directory, and every bitmap textures.txt names.
//
// The kernel's file notifications (inotify) watch the folders that hold those
// files, not the files themselves: an editor that saves by writing a new file
// and renaming it over the old one replaces the file being watched, while the
// folder stays. Events for other names (ogllist.txt above all, which every
// load rewrites) are ignored. A change counts once nothing more has happened
// for a settling time, so a save in progress is never read half-written.
//
// Linux only; never blocks. Shows and prints nothing.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class SceneWatcher {
 public:
  SceneWatcher() = default;
  ~SceneWatcher();
  SceneWatcher(const SceneWatcher&) = delete;
  SceneWatcher& operator=(const SceneWatcher&) = delete;

  // Files to watch besides the scene's own (a model's, whose import the
  // scene is), by absolute path; taken at the next Watch.
  void AlsoWatch(std::vector<std::string> paths) { otherPaths_ = std::move(paths); }

  // Watches the three files and the bitmaps named in textures.txt as it
  // stands now (again after each load, as the names may have changed).
  // Notifications that arrived before are kept. False when notifications are
  // unavailable; Problem() says why.
  bool Watch();

  // Takes the notifications that have arrived. True once, when a watched file
  // changed and `settleMs` have passed since the last change.
  bool ChangeSettled(std::uint64_t nowMs, std::uint64_t settleMs = 100);

  const std::string& Problem() const { return problem_; }

 private:
  void Close();

  int fd_ = -1;
  std::map<int, std::set<std::string>>
      namesByWatch_;  // watch -> the names of interest in its folder
  std::vector<std::string> otherPaths_;
  bool changed_ = false;
  std::uint64_t lastChangeMs_ = 0;
  std::string problem_;
};
