#include "models/model_cache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "models/content_hash.h"
#include "models/reader_process.h"
#include "store/ascii.h"
#include "store/replacing_file.h"

namespace {

namespace fs = std::filesystem;

// Changes whenever what an import writes changes, so that folders written by
// an older importer are never taken for current ones.
constexpr int kImportRevision = 1;
constexpr std::uint64_t kDefaultLimitMegabytes = 1024;
// The list of other files, a hidden file in each folder. Its records are
// separated by NUL bytes, which no file name holds.
constexpr const char* kManifestName = ".morvane-import";
constexpr std::string_view kManifestHeader = "morvane model import 1";
constexpr std::uintmax_t kMaxManifestBytes = 16 << 20;
constexpr std::string_view kNoFile = "-";
// A hidden folder left by an import that was stopped is removed after this.
constexpr auto kAbandonedAfter = std::chrono::hours(1);

bool IsEntryName(const std::string& name) {
  return name.size() == 32 && name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

ContentHash EntryKey(const ContentHash& model, const ModelImportSettings& settings) {
  ContentHasher key;
  char text[160];
  std::snprintf(text, sizeof text, "morvane %s import %d assimp %.32s lit %d spin %.17g model ",
                MORVANE_VERSION, kImportRevision, DescribeModelReader().libraryVersion.c_str(),
                settings.lit ? 1 : 0, settings.spin);
  key.Add(std::string_view(text));
  key.Add(model.Hex());
  return key.Finish();
}

std::string HashText(const fs::path& file) {
  const std::optional<ContentHash> hash = HashFile(file);
  return hash ? hash->Hex() : std::string(kNoFile);
}

// The list of other files with the hash of each (or "-" where there is no
// file), each named relative to the model's folder: a model moved with its
// textures finds them again, one moved without them does not.
std::string Manifest(const std::vector<fs::path>& otherFiles, const fs::path& modelFolder) {
  std::string manifest(kManifestHeader);
  manifest += '\0';
  for (const fs::path& file : otherFiles) {
    const std::string name = file.lexically_relative(modelFolder).string();
    manifest += HashText(file) + '\0' + (name.empty() ? file.string() : name) + '\0';
  }
  return manifest;
}

bool ReadWholeFile(const fs::path& path, std::string& bytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > kMaxManifestBytes)
    return false;
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The other files a complete import in `entry` noted, each with the hash it
// had: false when the folder holds no complete import.
bool NotedFiles(const fs::path& entry, const fs::path& modelFolder,
                std::vector<std::pair<std::string, fs::path>>& files) {
  std::string manifest;
  if (!ReadWholeFile(entry / kManifestName, manifest)) return false;
  std::vector<std::string_view> records;
  for (std::string_view rest = manifest; !rest.empty();) {
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos) return false;
    records.push_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  if (records.empty() || records[0] != kManifestHeader || records.size() % 2 == 0) return false;
  for (std::size_t i = 1; i < records.size(); i += 2) {
    const fs::path name(records[i + 1]);
    files.emplace_back(std::string(records[i]), name.is_absolute() ? name : modelFolder / name);
  }
  return true;
}

// Whether the folder `entry` holds a complete import whose other files all
// still hold what they held.
bool StillCurrent(const fs::path& entry, const fs::path& modelFolder) {
  std::vector<std::pair<std::string, fs::path>> files;
  if (!NotedFiles(entry, modelFolder, files)) return false;
  for (const auto& [hash, file] : files) {
    if (HashText(file) != hash) return false;
  }
  return true;
}

// Marks a folder as used now: the cache removes the least recently used.
void Touch(const fs::path& entry) {
  ::utimensat(AT_FDCWD, entry.c_str(), nullptr, 0);
}

std::uintmax_t FolderBytes(const fs::path& folder) {
  std::uintmax_t bytes = 0;
  std::error_code error;
  for (const fs::directory_entry& file : fs::directory_iterator(folder, error)) {
    if (file.is_regular_file(error)) bytes += file.file_size(error);
  }
  return bytes;
}

// Removes the least recently used folders until the cache keeps to its limit
// (`keep`, just opened, stays), and hidden folders of stopped imports.
void KeepToLimit(const fs::path& root, const fs::path& keep) {
  struct Entry {
    fs::path path;
    fs::file_time_type used;
    std::uintmax_t bytes;
  };
  std::vector<Entry> entries;
  std::uintmax_t total = 0;
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& item : fs::directory_iterator(root, error)) {
    const std::string name = item.path().filename().string();
    if (!item.is_directory(error) || item.is_symlink(error)) continue;
    const fs::file_time_type used = item.last_write_time(error);
    if (error) continue;
    if (name.starts_with(".")) {
      if (now - used > kAbandonedAfter) fs::remove_all(item.path(), error);
      continue;
    }
    if (!IsEntryName(name)) continue;
    entries.push_back({item.path(), used, FolderBytes(item.path())});
    total += entries.back().bytes;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.used < b.used; });
  const std::uint64_t limit = ModelCacheLimitBytes();
  for (const Entry& entry : entries) {
    if (total <= limit) break;
    if (entry.path == keep) continue;
    if (fs::remove_all(entry.path, error) != static_cast<std::uintmax_t>(-1)) total -= entry.bytes;
  }
}

// Writes the import into a new hidden folder of `root` and renames it to
// `entry`. Returns false with `error` set; nothing is left behind then.
bool Publish(const ModelImport& import, const ModelImportSettings& settings,
             const fs::path& modelFolder, const fs::path& root, const fs::path& entry,
             std::string& error) {
  std::string pattern = (root / ".import-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = "cannot write into the cache folder " + root.string() + ": " + std::strerror(errno);
    return false;
  }
  const fs::path temporary = pattern;
  std::size_t objectLines = 0;
  std::error_code ignored;
  if (!WriteSceneFolder(import.plan, settings.spin, temporary, objectLines, error) ||
      !WriteNewFile((temporary / kManifestName).string(), Manifest(import.otherFiles, modelFolder),
                    &error)) {
    error = "cannot write into the cache: " + error;
    fs::remove_all(temporary, ignored);
    return false;
  }
  if (::rename(temporary.c_str(), entry.c_str()) == 0) return true;
  // Another program imported the same model meanwhile, or the folder there
  // is out of date: a current one is used, an outdated one replaced.
  if (StillCurrent(entry, modelFolder)) {
    fs::remove_all(temporary, ignored);
    return true;
  }
  std::string outdated = (root / ".outdated-XXXXXX").string();
  const bool movedAside = ::mkdtemp(outdated.data()) != nullptr &&
                          ::rename(entry.c_str(), (fs::path(outdated) / "entry").c_str()) == 0;
  if (!movedAside || ::rename(temporary.c_str(), entry.c_str()) != 0) {
    error = "cannot replace " + entry.string() + " in the cache: " + std::strerror(errno);
    fs::remove_all(temporary, ignored);
    return false;
  }
  fs::remove_all(outdated, ignored);
  return true;
}

}  // namespace

bool IsModelFile(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return false;
  std::string extension = fs::path(path).extension().string();
  for (char& c : extension) c = LowerAscii(c);
  if (extension.size() < 2) return false;
  // The list is ";"-separated "*.ext" patterns, each in lower case.
  std::string list(1, ';');
  list.append(DescribeModelReader().extensions).push_back(';');
  std::string pattern = ";*";
  pattern.append(extension).push_back(';');
  return list.find(pattern) != std::string::npos;
}

std::optional<std::string> OpenModelArgument(const std::string& path, std::stop_token stop,
                                             const char* program, std::FILE* errors) {
  ModelImportSettings settings;
  settings.limits.stop = std::move(stop);
  std::string error;
  std::optional<std::string> folder = OpenModelAsSceneFolder(path, settings, error);
  if (!folder)
    std::fprintf(errors, "%s: cannot read %s: %s\n", program, path.c_str(), error.c_str());
  return folder;
}

fs::path ModelCacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  // Desktops set XDG_CACHE_HOME to an absolute path; a relative one would
  // move with the working directory, so it is ignored.
  if (cache != nullptr && cache[0] == '/') return fs::path(cache) / "morvane";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return fs::path(home) / ".cache" / "morvane";
  return {};
}

std::uint64_t ModelCacheLimitBytes() {
  std::uint64_t megabytes = kDefaultLimitMegabytes;
  if (const char* text = std::getenv("MORVANE_CACHE_MB"); text != nullptr && text[0] != '\0') {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (*end == '\0' && text[0] != '-' && value < (1ull << 40)) megabytes = value;
  }
  return megabytes << 20;
}

std::optional<std::string> OpenModelAsSceneFolder(const std::string& path,
                                                  const ModelImportSettings& settings,
                                                  std::string& error) {
  const std::optional<ContentHash> model = HashFile(path);
  if (!model) {
    error = "the file cannot be read";
    return std::nullopt;
  }
  const fs::path root = ModelCacheFolder();
  if (root.empty()) {
    error = "no cache folder: set XDG_CACHE_HOME or HOME";
    return std::nullopt;
  }
  std::error_code code;
  const fs::path modelFolder = fs::absolute(path, code).parent_path();
  const fs::path entry = root / EntryKey(*model, settings).Hex();
  if (StillCurrent(entry, modelFolder)) {
    Touch(entry);
    KeepToLimit(root, entry);
    return entry.string();
  }
  ModelImport import;
  if (!PrepareModelImport(path, settings, import, error)) return std::nullopt;
  fs::create_directories(root, code);
  if (!Publish(import, settings, modelFolder, root, entry, error)) return std::nullopt;
  KeepToLimit(root, entry);
  return entry.string();
}

std::vector<std::string> ModelSourceFiles(const std::string& path, const std::string& folder) {
  std::error_code code;
  const fs::path model = fs::absolute(path, code);
  std::vector<std::string> files = {model.string()};
  std::vector<std::pair<std::string, fs::path>> noted;
  if (NotedFiles(folder, model.parent_path(), noted)) {
    for (const auto& [hash, file] : noted) files.push_back(file.string());
  }
  return files;
}
