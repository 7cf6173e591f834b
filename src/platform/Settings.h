#pragma once
// Where the program keeps its stored values: "Database" (the working database at the last exit),
// "Directory" (the user's data folder, written by the install step) and "EsportazioniInCorso" (the
// folders where an export is putting its files in place, one a line), in group "1.00" of an INI
// file in the user's configuration folder. QUENDO_SETTINGS names another file instead.
// A missing file is the "key missing" case: the program never expects to run without one.

#include <QString>
#include <string>

namespace settings {

constexpr const char* kEnvironmentVariable = "QUENDO_SETTINGS";
constexpr const char* kGroup = "1.00";
constexpr const char* kDatabase = "Database";
constexpr const char* kDirectory = "Directory";
constexpr const char* kExportsUnderWay = "EsportazioniInCorso";
// The working database as it was left by the last clean close (path, size, time of the last
// change): found unchanged at the next start, it is not checked page by page again.
constexpr const char* kCleanClose = "ChiusuraRegolare";

// The settings file in use.
QString FilePath();

// True when the settings file exists (the key can be opened).
bool Exists();

enum class ReadResult { Read, Absent, KeyMissing };

// Reads one value (Windows-1252), always one whole text: a path with commas written by hand
// ("Database=/home/a, b/x.mdb") is not split into a list. KeyMissing: no settings file. Absent: the file exists but the
// value is not there, does not fit in 2048 bytes or holds characters the program cannot keep; in
// both cases `value` stays as it was.
ReadResult Read(const char* name, std::string& value);

// Writes one value, creating the file and its folder when needed; the other values keep their
// text. False when it cannot be written (a folder, a device, a pipe or a socket under the name,
// which is never opened; a full disk), or would not fit in 2048 bytes; the previous value then
// stays. Also false when the disk took only part of the text: Qt's writer has then put the cut
// file in place.
bool Write(const char* name, const std::string& value);

// False once a value could not be written to the file (a folder that cannot be made, a full disk):
// the file does not hold all the program recorded.
bool EveryWriteDone();

// Removes what a program killed while it rewrote the settings file left beside it: the temporary
// the file was being written to ("quendo.ini.AbCdEf", six letters of both cases after the file's
// own name), and no other file. Taken under the lock every writer of the file holds, so that the temporary of a
// write under way in another running copy of the program stays; when that lock cannot be had at
// once nothing is removed. Nothing is told.
void RemoveInterruptedWrites();

}  // namespace settings
