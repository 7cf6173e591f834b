#pragma once
// One file of text written whole or not at all: the bytes go to a temporary beside the chosen
// name, created new (common/NewFile), are flushed to the disk, and only then take the name by one
// rename. A file already there keeps its content when the new one cannot be written, and no
// temporary is left behind (those of killed runs go at the next write into the folder).

#include <string>
#include <string_view>

// `path` is Windows-1252. False when the file could not be written whole (nothing changed).
bool WriteWholeFile(const std::string& path, std::string_view bytes);
