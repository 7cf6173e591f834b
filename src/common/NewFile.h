#pragma once
// The one way every writer makes its temporary file: created new, never opened where something
// already stands. Whatever holds the name (a file left by a run that was cut short, a link put
// there by someone else) is removed first; a link is never followed, a folder never removed.
// A temporary of a single file is hidden beside its final name (".NAME.quendo.part") and held
// locked while it is written, so that the next write into the folder can tell the ones a killed
// run left behind and remove them, and only those.

#include <sys/types.h>

#include <string>
#include <string_view>

// Creates the file at the native path `native` for writing and reading back (mode 0666 less the
// umask). The open
// descriptor, or -1 when it cannot be created (a folder of that name, a folder that cannot be
// written); errno tells why.
int CreateNewFile(const std::string& native);

// Writes the whole of `bytes` to the open file `fd`; false when the system refuses some of it.
bool WriteAll(int fd, std::string_view bytes);

// Puts the folder's renames on the disk, where the file system can (native path).
void SyncFolder(const std::string& nativeFolder);

// The hidden temporary of a single file: `nativeFolder`/.NAME.quendo.part.
std::string HiddenTemporaryOf(const std::string& nativeFolder, const std::string& nativeName);

// Creates the hidden temporary of a single file, new (O_EXCL, no link followed), and holds it
// locked until closed. One still there is another writer's at work on the same file (the folder
// was swept first, RemoveLeftTemporaries): -1, as on any failure.
int CreateHiddenTemporary(const std::string& nativeFolder, const std::string& nativeName);
// True when `nativePath` still names the file open as `fd`: checked before a temporary is renamed
// into place, so that a temporary another writer put under the same name is never taken for ours.
bool StillNamed(int fd, const std::string& nativePath);

// The sweep every writer makes of a folder before writing into it (ExportFileSet::Begin, whatever
// the set): removes the hidden temporaries (".NAME.quendo.part", that pattern only) that no
// running writer holds, what killed prints, reports and exports left.
void RemoveLeftTemporaries(const std::string& nativeFolder);

// Splits a native path into its folder ("." for a bare name, "/" at the root) and its name.
void SplitNativePath(const std::string& native, std::string& folder, std::string& name);
