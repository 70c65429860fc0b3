#pragma once
#include <string>

// Archive entry names and the relative paths of the files that hold them on
// disk. The game asks for some files by Windows drive paths
// ("D:\Zoprax9\menu\Texts.xml"); on disk a drive is a top-level folder named
// by its one capital letter ("D/Zoprax9/menu/Texts.xml"), a name every build
// tool and file system takes.

// The relative path ("/"-separated) of the file that holds entry `name`: "\"
// becomes "/", and a leading "X:\" becomes the folder "X/".
std::string hostPathOfEntry(std::string name);

// The entry name of the file at relative path `path`: "/" becomes "\", and a
// leading one-capital-letter folder becomes that drive ("D/x" -> "D:\x").
std::string entryOfHostPath(std::string path);
