#pragma once
// The stops and routes descriptor of the HyperPlan planning tool: a text file, one route stop a
// line, four fields each ended by ';' (anything, the route code, the node text, a number). Lines
// end at LF, CR LF or a lone CR; a last line without its end is read like the others.
// Consecutive lines of one route code form one route, whose signature is
// "{ " + its node texts joined by ", " + " }".
//
// A descriptor is read whole as bytes and checked line by line: a line that is empty, has other
// than four semicolons, is longer than kDescriptorLineMax, has a field longer than
// kDescriptorFieldMax, or gives a route code longer than the trips' route code field makes the
// whole descriptor invalid, and so does a descriptor without any line (an empty file). Nothing is
// read past the bytes that are there.

#include "common/Outcome.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr std::size_t kDescriptorLineMax = 1023;
constexpr std::size_t kDescriptorFieldMax = 127;
constexpr std::size_t kRouteCodeMax = 20;  // tescor.codperc

struct DescriptorStop {
  long number = 0;   // field 3, its leading digits
  std::string text;  // field 2
};

struct DescriptorRoute {
  std::string code;
  std::vector<DescriptorStop> stops;
  std::string Signature() const;
};

// Ok: every line as required. Not ok: the refusal of an invalid descriptor (stop icon), the
// refusal of a name held by no regular file (CannotOpenText), or nothing at all when the file
// could not be read.
struct DescriptorReading : Outcome {
  bool opened = false;                  // false: the file could not be read
  std::vector<DescriptorRoute> routes;  // in file order
};

// The descriptor's bytes parsed: routes in file order; refused at the first bad line.
DescriptorReading ParseDescriptor(std::string_view bytes);
// The file read whole, then parsed. `path` is Windows-1252.
DescriptorReading ReadDescriptor(const std::string& path);

// The file to read for a chosen path: a path ending in ".txt" in any case names the base before
// it, whose TXT companion is read whatever the case of its extension; any other path is read as
// it is.
std::string DescriptorBase(const std::string& chosen);
std::string DescriptorFile(const std::string& chosen);

// The refusal of a descriptor with an invalid line.
std::string InvalidDescriptorText();
