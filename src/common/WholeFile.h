#pragma once
// One file written whole or not at all, as a set of one file (common/ExportFiles): the bytes go
// to a hidden temporary beside the chosen name, created new (common/NewFile), are flushed to the
// disk, and only then take the name by one rename. A file already there keeps its content when
// the new one cannot be written, and no temporary is left behind (those of killed runs go at the
// next write into the folder).

#include "common/Outcome.h"

#include <functional>
#include <string>
#include <string_view>

// Where the lines of a text file go, each without its line end.
using LineSink = std::function<void(std::string_view line)>;

// `path` is Windows-1252. False when the file could not be written whole (nothing changed).
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// Writes the lines that `produce` gives to `path` (Windows-1252), each ended by CR LF, whole or
// not at all. False when the file could not be written (nothing changed there).
bool WriteWholeLines(const std::string& path, const std::function<void(const LineSink&)>& produce);

// The message of a file that could not be written: "Impossibile creare" and its path.
std::string CannotCreateText(const std::string& path);

// WriteWholeFile, told: done, or not with CannotCreateText (with `icon`) and the path.
Outcome SaveWholeFile(const std::string& path, std::string_view bytes, NoticeIcon icon = NoticeIcon::Exclamation);
