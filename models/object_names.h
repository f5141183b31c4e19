// Names for the objects of an imported model that both text files accept
// and that never collide.
//
// objects.txt lower-cases every line and its "name=" value must begin with a
// letter; a compiled name keeps 19 characters, and scene.txt finds only the
// first object of a name. So each name is made of lower-case letters, digits
// and "_", begins with a letter, has at most 19 characters, and is unique.
#pragma once

#include <string>
#include <vector>

// One name per model name, in order; an empty or unusable model name becomes
// "mesh". Duplicates get a "_2", "_3" ... suffix, cutting the base to fit.
std::vector<std::string> MakeObjectNames(const std::vector<std::string>& modelNames);
