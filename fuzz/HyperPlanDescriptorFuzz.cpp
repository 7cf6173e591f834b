// The HyperPlan stops and routes descriptor, chosen by its .txt name and read as the route code
// assignment does; a valid one assigns its routes' codes to the trips of the hand-made timetable.
#include "FuzzSupport.h"
#include "ImportFuzz.h"
#include "conversions/hyperplan/RouteCodeAssignment.h"
#include "db/DbDatabase.h"

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::TemplateDatabase timetable([](const std::string& path) { fuzz::MakeHandMadeTimetable(path); });
  static const std::string dbPath = fuzz::ScratchPath("orari.mdb");
  static const std::string path = fuzz::ScratchPath("percorsi.TXT");
  fuzz::WriteWhole(path, fuzz::Bytes(data, size));
  const DescriptorReading reading = ReadDescriptor(DescriptorFile(fuzz::ScratchPath("percorsi.txt")));
  fuzz::Require(reading.opened, "the descriptor was not found by its name");
  for (const DescriptorRoute& route : reading.routes) {
    fuzz::Require(route.code.size() <= kRouteCodeMax, "a route code longer than the trips' field");
    route.Signature();
  }
  if (reading.ok && !reading.routes.empty()) {
    timetable.Put(dbPath);
    DbDatabase db(dbPath);
    const RouteCodeResult result = AssignRouteCodesFromDescriptor(&db, reading.routes, nullptr);
    fuzz::Require(result.matched <= result.trips && result.updated <= result.trips,
                  "more trips given a code than read");
  }
  fuzz::TakeNotices();
  return 0;
}
