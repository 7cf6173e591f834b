#pragma once
// The generated timetable written into a new database: company 17, the first half of 2024 with
// its calendar, `trips` trips of 20 stops on 1,000 routes (BenchData.h), each with two periods.
// The trip codes are "C<id>" unless the caller names them; the trips of a route share their times
// unless each has its own (`ownTimes`, BenchData.h). The stop codes follow their routes
// ("F<route><stop>") unless they are scattered (`scatteredStops`): then, as in a network that
// numbers its stops by place, the stops next to each other in the order of their codes belong to
// other routes, and the rows of one code lie all over the table.

#include "BenchData.h"
#include "common/Notices.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "refdata/Seeding.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>

namespace bench {

constexpr auto Add = &AddRow;

struct Timetable {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder = dir.path().toStdString();
  std::string database = folder + "/export.mdb";
  std::string out = folder + "/uscita";
  std::unique_ptr<DbDatabase> db;

  explicit Timetable(int trips = kTrips, std::function<std::string(int)> codeOf = {}, bool ownTimes = false,
                     bool scatteredStops = false) {
    ScopedNoticeSink quiet([](const Notice&) {});
    CreateSeededDatabase(database, CreateMode::Startup);
    QDir().mkpath(QString::fromStdString(out));
    db = std::make_unique<DbDatabase>(database);
    DbBatch batch(db.get());
    DbTable master(db.get(), "master"), cadenz(db.get(), "cadenz"), calend(db.get(), "calend"),
        tescor(db.get(), "tescor"), detcor(db.get(), "detcor"), period(db.get(), "period");
    AddHalfYear(master, cadenz, calend);
    for (int t = 1; t <= trips; ++t) {
      const std::string id = std::to_string(t), route = std::to_string(t % kRoutes);
      Add(tescor, {{"id", id},
                   {"codcorsa", codeOf ? codeOf(t) : "C" + id},
                   {"codlinea", "L" + route},
                   {"verso", t % 2 ? "A" : "R"},
                   {"parte", "0"},
                   {"arriva", "2359"},
                   {"ente", "1"},
                   {"contratt", std::to_string(t % 50)},
                   {"lung", "16150"},
                   {"tempo", "40"},
                   {"ct_lung", "16150"},
                   {"ct_tempo", "40"},
                   {"codperc", "P" + route},
                   {"denom", "Corsa " + id},
                   {"gruppo", "-1"}});
      for (int s = 1; s <= kStopsPerTrip; ++s) {
        bench::StopTexts stop = bench::Stop(t, s, ownTimes);
        // 7,919 is prime: the route's stops go one to one onto the 20,000 codes.
        constexpr int kStops = kRoutes * kStopsPerTrip;
        if (scatteredStops)
          std::snprintf(stop.code, sizeof stop.code, "F%06d", ((t % kRoutes) * kStopsPerTrip + s - 1) * 7919 % kStops);
        Add(detcor, {{"id", id},
                     {"sub", std::to_string(s)},
                     {"fermata", stop.code},
                     {"denom", stop.name},
                     {"ubicaz", stop.place},
                     {"dist", std::to_string((s - 1) * 850)},
                     {"arriva", std::to_string(stop.arrives)},
                     {"parte", std::to_string(stop.leaves)},
                     {"primaria", s == 1 ? "1" : "0"},
                     {"facolt", "0"},
                     {"nonferma", "0"},
                     {"reglocal", std::to_string(s % 3 == 0 ? t % 200 + 1 : 0)}});
      }
      Add(period, {{"id", id},
                   {"caden", t % 5 ? "FER" : "FES"},
                   {"inizio", "01/01/2024"},
                   {"fine", "31/03/2024"},
                   {"escluso", "0"}});
      Add(period, {{"id", id},
                   {"caden", t % 5 ? "FER" : "FES"},
                   {"inizio", "01/04/2024"},
                   {"fine", "30/06/2024"},
                   {"escluso", "0"}});
    }
  }
};

}  // namespace bench
