#pragma once
// Opening a file the user named, to read it. Every reader of such a file (the region's files, an
// IVU-InfoPool set, the auxiliary imports, a communication's base, a HyperPlan descriptor, a
// shapefile set, a reference list) opens it here, so that all of them take only a regular file,
// a symlink followed to one. A named pipe would keep the open, or the read, waiting for a writer
// for good, and a device or a socket holds no file's content: such a name is refused before it
// is opened, and what the open gives is looked at again, so that a name changed in between is
// refused the same way. A folder, or a name that does not exist or cannot be read, fails at the
// open as before.

#include "common/ExportJournal.h"

#include <functional>
#include <string>

class QFile;

enum class InputOpening { Opened, NotARegularFile, Failed };

// Opens `path` (Windows-1252 unless given as native) for reading into `file`, which is closed
// first. Opened: `file` reads the file from its start.
InputOpening OpenInputFile(QFile& file, const std::string& path, PathText text = PathText::Windows1252);

// Sets what is called, when set, between OpenInputFile's look at a name and its open, with the
// native name: a test puts another kind of file under the name there, as another program could.
void SetInputOpeningStep(std::function<void(const std::string& native)> step);

// True when the name is held by a named pipe, a device or a socket (a symlink followed): what
// OpenInputFile refuses. False for a regular file, a folder, and a name that cannot be looked at.
bool HeldByNoRegularFile(const std::string& path, PathText text = PathText::Windows1252);

// Why such a name was not read, told after it.
extern const char* const kNotARegularFileText;

// The message of a file the user named that could not be opened: "Impossibile aprire" and its
// path, then, for a name held by no regular file (HeldByNoRegularFile), kNotARegularFileText.
std::string CannotOpenText(const std::string& path);
