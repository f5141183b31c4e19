// What a path dropped onto the viewer's window opens: the scene folder to show
// in place of the one on screen.
//
// A scene folder opens as it is. It must hold at least one of the scene's
// three files: a folder of none is most likely dropped by mistake, and loading
// it would write ogllist.txt into it. A model file opens through the folder
// its import is kept in, which the caller asks for (ModelOpening); any other
// file, and anything else (a missing path, a device, text that names
// nothing), is refused.
//
// Looks at the file system and changes nothing; prints nothing.
#pragma once

#include <optional>
#include <string>

// The absolute path of the scene folder that `path` opens, or nullopt with
// `problem` saying why it opens none.
std::optional<std::string> ResolveDroppedPath(const std::string& path, std::string& problem);

// `text` made fit for one line of a message: control characters become '?',
// and more than 200 bytes are cut to 200 with "..." after them.
std::string OneLine(const std::string& text);
