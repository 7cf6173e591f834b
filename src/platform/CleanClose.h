#pragma once
// What tells the working database file as the last clean close left it, kept in the settings
// (settings::kCleanClose): found the same at the next start, the file is trusted as it is, not
// checked page by page again.

#include <string>

// The file's path, size, the time of its last change to the nanosecond, its inode and the digest
// of its schema (`schema`, SchemaDigest: a change of the schema made in place that keeps the
// rest); empty when the file cannot be read, its write-ahead log still holds changes (the close
// did not finish) or the schema's digest is empty.
std::string CloseFingerprint(const std::string& path, const std::string& schema);
