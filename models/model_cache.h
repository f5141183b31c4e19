// Opening a model file directly: the programs import it into a folder of
// the user's cache and show that folder.
//
// The cache lives in $XDG_CACHE_HOME/morvane (by default ~/.cache/morvane),
// one folder per import, named after a hash of the model's content, the
// import's settings and the importer's version. Each folder also notes every
// other file the import read or looked for (an OBJ's .mtl, a glTF's .bin,
// the textures, with a hash of each): the folder is used again only while
// all of them still hold what they held, and nothing in it is rewritten
// then. A changed model or texture is imported again.
//
// An import goes to a new hidden folder that is renamed into place once it
// is complete, so a folder in the cache is whole or absent, whatever stops
// an import. The cache keeps to a size limit (MORVANE_CACHE_MB megabytes,
// 1024 by default) by removing the folders used least recently.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "models/model_import.h"

// Whether `path` is to be opened as a model: a regular file (or a link to
// one) with an extension the model library reads.
bool IsModelFile(const std::string& path);

// The cache folder; empty when neither XDG_CACHE_HOME nor HOME is set.
std::filesystem::path ModelCacheFolder();

// The cache's size limit in bytes.
std::uint64_t ModelCacheLimitBytes();

// The scene folder holding the import of the model at `path` with
// `settings`, imported now unless the cache holds it already. Returns nullopt
// with `error` saying why (the model reader's words, or a cache that cannot
// be written); nothing is left in the cache then.
std::optional<std::string> OpenModelAsSceneFolder(const std::string& path,
                                                  const ModelImportSettings& settings,
                                                  std::string& error);

// What a program given a model file in place of a scene folder does: the
// folder of its import with the default settings, the reading ended early by
// `stop`; or nullopt after one line on `errors`, "PROGRAM: cannot read PATH:
// REASON".
std::optional<std::string> OpenModelArgument(const std::string& path, std::stop_token stop,
                                             const char* program, std::FILE* errors);

// The files an import in `folder` of the model at `path` was made from: the
// model itself and every other file the import read or looked for, as
// absolute paths. What to watch for a change that calls for a new import.
std::vector<std::string> ModelSourceFiles(const std::string& path, const std::string& folder);
