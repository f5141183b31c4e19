#include "app/scene_watcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "store/line_reader.h"
#include "textures/texture_table.h"

namespace {

// A change to a name in a folder: written, created, renamed in or out, removed,
// or its permissions changed (a file made readable again).
constexpr std::uint32_t kFolderEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB;

// A path's folder (as inotify_add_watch takes it) and its last component.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

SceneWatcher::~SceneWatcher() {
  Close();
}

void SceneWatcher::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  namesByWatch_.clear();
}

bool SceneWatcher::Watch() {
  // One notification queue for the whole run: a change made while the scene
  // was being loaded stays queued for the next look instead of being lost
  // with an old queue.
  if (fd_ < 0) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    problem_ = std::string("file notifications are unavailable: ") + std::strerror(errno);
    return false;
  }
  std::vector<std::string> paths = {"objects.txt", "scene.txt", "textures.txt"};
  LineReader textures("textures.txt");
  if (textures.IsOpen()) {
    for (std::string& name : ReadTextureNames(textures)) {
      if (!name.empty()) paths.push_back(std::move(name));
    }
  }
  paths.insert(paths.end(), otherPaths_.begin(), otherPaths_.end());
  std::map<int, std::set<std::string>> namesByWatch;
  for (const std::string& path : paths) {
    const auto [folder, name] = SplitPath(path);
    // The same folder gives the same watch, so its names gather in one set.
    const int watch = inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
    if (watch >= 0) namesByWatch[watch].insert(name);
  }
  // Folders that no longer hold a file of the scene are let go.
  for (const auto& [watch, names] : namesByWatch_) {
    if (namesByWatch.count(watch) == 0) inotify_rm_watch(fd_, watch);
  }
  namesByWatch_ = std::move(namesByWatch);
  return true;
}

bool SceneWatcher::ChangeSettled(std::uint64_t nowMs, std::uint64_t settleMs) {
  if (fd_ < 0) return false;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got <= 0) break;  // nothing more waiting (EAGAIN), or the watch is gone
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        changed_ = true;  // events were lost: assume the worst
        lastChangeMs_ = nowMs;
        continue;
      }
      const auto names = namesByWatch_.find(event->wd);
      if (names == namesByWatch_.end() || event->len == 0) continue;
      if (names->second.count(event->name) != 0) {
        changed_ = true;
        lastChangeMs_ = nowMs;
      }
    }
  }
  if (!changed_ || nowMs - lastChangeMs_ < settleMs) return false;
  changed_ = false;
  return true;
}
