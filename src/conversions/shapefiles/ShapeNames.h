#pragma once
// The names of the three files of a shapefile set. A set is named by its base: the chosen path
// less a final ".shp", ".shx" or ".dbf" in any case, else the whole path. Files made on Windows
// carry their extensions in any case, so a companion is found whatever the case of its
// extension; an output file takes the name of a companion already there in another case, so that
// the folder never holds the same file twice.

#include <string>
#include <vector>

// The base of a chosen path (Windows-1252).
std::string ShapeBase(const std::string& path);

// The file of `base` with extension `ext` (given without the dot, in upper case: "SHX") as it
// stands on the disk: the exact "base.EXT" when it is there, else the first entry of the folder
// whose name is the base's followed by the extension in another case; empty when there is none.
std::string FindCompanion(const std::string& base, const std::string& ext);

// Every file of the folder (a folder aside) named as `base` followed by `ext` in any case, in
// the order of their names.
std::vector<std::string> CompanionsOf(const std::string& base, const std::string& ext);

// The path to write for `base` and `ext`: the companion already there (any case), else "base.EXT".
std::string OutputCompanion(const std::string& base, const std::string& ext);

// A path's folder (everything before its last separator; "." when there is none) and its name.
void SplitShapePath(const std::string& path, std::string& folder, std::string& name);
