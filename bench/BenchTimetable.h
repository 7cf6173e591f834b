#pragma once
// The generated timetable written into a new database: company 17, the first half of 2024 with
// its calendar, `trips` trips of 20 stops on 1,000 routes (BenchData.h), each with two periods.
// The trip codes are "C<id>" unless the caller names them; the trips of a route share their times
// unless each has its own (`ownTimes`, BenchData.h). The stop codes follow their routes
// ("F<route><stop>") unless they are scattered (`scatteredStops`): then, as in a network that
// numbers its stops by place, the stops next to each other in the order of their codes belong to
// other routes, and the rows of one code lie all over the table.
// With `Rows::Feed` the trip heads and stops are shaped as a region's files (RT_HDORA, RT_DTORA)
// bring them in instead (FeedStop, BenchData.h): short codes and names, the fields a feed leaves
// empty NULL; the other tables are the same.

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

// The shape of the trip heads' and stops' rows: the generated ones, or as a real feed gives them.
enum class Rows { Generated, Feed };

struct Timetable {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string folder = dir.path().toStdString();
  std::string database = folder + "/export.mdb";
  std::string out = folder + "/uscita";
  std::unique_ptr<DbDatabase> db;

  explicit Timetable(int trips = kTrips, std::function<std::string(int)> codeOf = {}, bool ownTimes = false,
                     bool scatteredStops = false, Rows rows = Rows::Generated) {
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
      if (rows == Rows::Feed) {
        AddFeedTrip(tescor, detcor, t, ownTimes);
      } else {
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
            std::snprintf(stop.code, sizeof stop.code, "F%06d",
                          ((t % kRoutes) * kStopsPerTrip + s - 1) * 7919 % kStops);
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

  // Trip `t` and its stops as the import of a region's files stores them: the fields the files do
  // not carry (regcorsa, reglinea, mezzo, the chain; regferma, regarea) NULL, every stop in
  // locality 0, the descriptor blank (NULL) on a third of the trips.
  static void AddFeedTrip(DbTable& tescor, DbTable& detcor, int t, bool ownTimes) {
    const std::string id = std::to_string(t), route = std::to_string(t % kRoutes);
    const StopTexts first = Stop(t, 1, ownTimes), last = Stop(t, kStopsPerTrip, ownTimes);
    tescor.AddNew();
    tescor.SetFieldText("id", id);
    tescor.SetFieldText("codcorsa", "C" + id);
    tescor.SetFieldText("codlinea", "L" + route);
    tescor.SetFieldText("verso", t % 2 ? "A" : "R");
    tescor.SetFieldText("parte", std::to_string(first.leaves));
    tescor.SetFieldText("arriva", std::to_string(last.arrives));
    tescor.SetFieldText("ente", "1");
    tescor.SetFieldText("contratt", std::to_string(t % 50));
    tescor.SetFieldText("lung", "16150");
    tescor.SetFieldText("tempo", "40");
    tescor.SetFieldText("ct_lung", "16150");
    tescor.SetFieldText("ct_tempo", "40");
    tescor.SetFieldText("codperc", (t % 2 ? "AP" : "RP") + route);
    if (t % 3) tescor.SetFieldText("denom", FeedTripName(t));
    tescor.SetFieldText("gruppo", "-1");
    if (!tescor.Update()) std::fprintf(stderr, "row refused in tescor\n");
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      const StopTexts times = Stop(t, s, ownTimes);
      const FeedStopTexts stop = FeedStop(t, s);
      detcor.AddNew();
      detcor.SetFieldText("id", id);
      detcor.SetFieldText("sub", std::to_string(s));
      detcor.SetFieldText("fermata", stop.code);
      detcor.SetFieldText("denom", stop.name);
      if (!stop.place.empty()) detcor.SetFieldText("ubicaz", stop.place);
      detcor.SetFieldText("dist", std::to_string((s - 1) * 850));
      detcor.SetFieldText("arriva", std::to_string(times.arrives));
      detcor.SetFieldText("parte", std::to_string(times.leaves));
      detcor.SetFieldText("primaria", s == 1 || s == kStopsPerTrip ? "1" : "0");
      detcor.SetFieldText("facolt", "0");
      detcor.SetFieldText("nonferma", "0");
      detcor.SetFieldText("reglocal", "0");
      if (!detcor.Update()) std::fprintf(stderr, "row refused in detcor\n");
    }
  }
};

}  // namespace bench
