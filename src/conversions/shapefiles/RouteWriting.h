#pragma once
// What writing a route set RT_ITIN gave: whether it was put in place, the message when it was not,
// and how many records it holds.

#include <string>

struct RouteWriting {
  bool ok = false;
  std::string failure;  // "Impossibile creare\n\n" and the path
  int records = 0;
};
