#include "app/dropped_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kLongestShown = 200;

bool HoldsSceneFile(const std::filesystem::path& folder) {
  std::error_code ignored;
  for (const char* name : {"objects.txt", "scene.txt", "textures.txt"}) {
    if (std::filesystem::is_regular_file(folder / name, ignored)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ResolveDroppedPath(const std::string& path, std::string& problem) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) {
    problem = error.message();
    return std::nullopt;
  }
  // Model files are taken before this (HandleDroppedPath); any other file is
  // none the viewer can show.
  if (std::filesystem::is_regular_file(status)) {
    problem = "a file, but not a model file of a format morvane-import reads";
    return std::nullopt;
  }
  if (!std::filesystem::is_directory(status)) {
    problem = "neither a scene folder nor a model file";
    return std::nullopt;
  }
  // The viewer runs in the scene folder, so it must be able to enter it.
  if (access(path.c_str(), R_OK | X_OK) != 0) {
    problem = std::strerror(errno);
    return std::nullopt;
  }
  std::filesystem::path folder = std::filesystem::canonical(path, error);
  if (error) {
    problem = error.message();
    return std::nullopt;
  }
  if (!HoldsSceneFile(folder)) {
    problem = "the folder holds no objects.txt, scene.txt or textures.txt";
    return std::nullopt;
  }
  return folder.string();
}

std::string OneLine(const std::string& text) {
  std::string line = text.substr(0, kLongestShown);
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  if (text.size() > kLongestShown) line += "...";
  return line;
}
