#pragma once
// The days-of-operation check ("Rubrica Verifica Giorni"): for every trip, or the trips of an id
// range, the dates of the working period on which it runs, numbered, with their weekday, as many
// a row as fit across the days column; a trip with more days goes on in rows of day texts only.
//
// Each trip keeps its days as a bit set over the calendar's dates; the texts of a row are made
// only when its page is drawn, and the rows are not stored: the pagination needs only how many
// rows each trip takes, and a row is found from its number by the trips' first rows. So a report
// of a million rows costs a few words a trip, whatever the number of its pages.

#include "common/OperatingDays.h"
#include "reports/Report.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

class OperatingDaysReport : public Report {
 public:
  struct Trip {
    long id = 0;
    std::string tripCode, lineCode;
    char direction = ' ';
    std::string departure;  // "%d:%02d"
    DayBits days;           // over the calendar's dates
    size_t dayCount = 0;
  };

  // `allTrips` false: only the trips with ids from `fromId` to `toId`.
  OperatingDaysReport(DbDatabase* db, bool allTrips, long fromId, long toId);

  // `progress`, when given, follows the rows read.
  void Load(DbDatabase* db, WorkProgress* progress = nullptr);
  // Until the first pagination every trip takes one row.
  size_t RowCount() const override { return firstRows_.empty() ? 0 : firstRows_.back(); }

  // The day texts a row holds (one at least), as the last pagination found.
  size_t TextsPerRow() const { return textsPerRow_; }
  // The trip that row n prints, and which of its rows it is (0: the trip's own row).
  size_t TripOfRow(size_t n, size_t& rowOfTrip) const;
  // The day texts of row n: "(%d - %s %s) " each, with the day's number in the trip, its
  // weekday and its day and month.
  std::string RowText(size_t n) const;

  bool allTrips;
  long fromId, toId;
  ServiceCalendar calendar;
  std::vector<Trip> trips;

 protected:
  void DropRows() override;
  void ColumnsPlaced() override;
  bool GridLineBefore(size_t i) const override { return i == 0 || i == 4; }
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override;

 private:
  // The number of rows of each trip at `textsPerRow_` a row, summed: trip t's rows begin at
  // firstRows_[t]; the last entry is the number of rows.
  void CountRows();

  size_t textsPerRow_ = 0;  // 0: no limit (before the first pagination)
  std::vector<size_t> firstRows_;
};
