#pragma once
// A text report written whole or not at all: the bytes go to a temporary beside the chosen name,
// flushed to the disk, and take the name by one rename; a file already there keeps its content
// when the new one cannot be written.

#include <string>
#include <string_view>

// `path` and `bytes` are Windows-1252 (the lines already ended by CR LF). True when written.
bool WriteTextReport(const std::string& path, std::string_view bytes);
