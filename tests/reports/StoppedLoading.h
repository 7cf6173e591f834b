#pragma once
// What the loaders' tests check of a loading stopped at a value its column cannot hold as its
// kind: the report made and loaded as its command does it, and then no rows and the one message.

#include "reports/Report.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DbDatabase;

// How the message goes on after the value, for bytes in a text column and a text in a whole-number
// column.
inline const std::string kBytesNotText = ",\nche è un dato binario e non un testo come richiede la sua colonna.";
inline const std::string kTextNotNumber = ",\nche è un testo e non un numero intero come richiede la sua colonna.";

using MakeReport = std::function<std::unique_ptr<Report>(DbDatabase*)>;

// A report of type R made on the database with `options` after it, then loaded unless its making
// stopped (at its company line), as the report run does.
template <class R, class... Options>
MakeReport Loaded(Options... options) {
  return [=](DbDatabase* db) {
    auto report = std::make_unique<R>(db, options...);
    if (!report->LoadFaulted()) report->Load(db);
    return std::unique_ptr<Report>(std::move(report));
  };
}

// The report stopped with "ATTENZIONE: <where>\n\n" and the end of a report not prepared, and
// has no rows.
inline void ExpectStopped(const Report& report, const std::string& where) {
  EXPECT_TRUE(report.LoadFaulted());
  EXPECT_EQ(report.LoadFaultMessage(Undone::Findings),
            "ATTENZIONE: " + where + "\n\nIl prospetto non è stato preparato: correggere il dato prima di ripeterlo.");
  EXPECT_EQ(report.RowCount(), 0u);
}

// The same of the report `make` makes and loads on `db`, with no notice of the database layer
// before the message.
inline void ExpectStopped(const MakeReport& make, DbDatabase* db, const std::string& where) {
  NoticeLog notices;
  ExpectStopped(*make(db), where);
  EXPECT_EQ(notices.Texts(), "");
}

// A report stopped by the value an UPDATE plants: the report, the UPDATE, and the message's
// beginning (ExpectStopped).
struct StoppedCase {
  MakeReport make;
  std::string sql, where;
};

// Each case on the database `fresh(sql)` gives: the database of the test made afresh, with the
// UPDATE run on it.
template <class Fresh>
void ExpectEachStopped(const std::vector<StoppedCase>& cases, Fresh&& fresh) {
  AllowReadingMismatches();  // values of another kind than their column's, on purpose
  for (const StoppedCase& c : cases) {
    SCOPED_TRACE(c.sql);
    ExpectStopped(c.make, fresh(c.sql), c.where);
  }
}
