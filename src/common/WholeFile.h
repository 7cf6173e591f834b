#pragma once
// One file written whole or not at all, as a set of one file (common/ExportFiles): the bytes go
// to a hidden temporary beside the chosen name, created new (common/NewFile), are flushed to the
// disk, and only then take the name by one rename. A file already there keeps its content when
// the new one cannot be written, and no temporary is left behind (those of killed runs go at the
// next write into the folder). A name held by what is not a file (a folder, a device, a pipe) is
// never replaced: the write is refused, and its message says so.

#include "common/ExportJournal.h"
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

// True when the name is held by something no writer puts a file in place of: a folder, a device,
// a pipe or a socket, or a link to one of them. A file, a link to a file and a link to nothing are
// replaced (the link itself, never followed). `path` is Windows-1252 unless given as native.
bool HeldByNoFile(const std::string& path, PathText text = PathText::Windows1252);

// The refusal of such a name (HeldByNoFile): the path, then that it is no file.
std::string NotAFileText(const std::string& path);

// The message of a file that could not be written: "Impossibile creare" and its path; for a name
// held by no file (HeldByNoFile), NotAFileText.
std::string CannotCreateText(const std::string& path);

// WriteWholeFile, told: done, or not with CannotCreateText (with `icon`) and the path.
Outcome SaveWholeFile(const std::string& path, std::string_view bytes, NoticeIcon icon = NoticeIcon::Exclamation);
