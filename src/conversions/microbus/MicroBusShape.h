#pragma once
// The shape of timetable data that came from a MicroBus-IVU export: every period a single day
// (start and end the same date) of the day type "UNICA", none excluded. Both the normalisation of
// the communication and the cadence rebuilding run only on data of that shape.

#include <string>

class DbDatabase;

// One period row against the rules: `caden` without trailing blanks, the two dates as display
// texts, `escluso` as read.
bool IsMicroBusPeriod(const std::string& caden, const std::string& inizio, const std::string& fine, int escluso);

// Every period row of the database keeps the rules (a database without periods does).
bool HasMicroBusShape(DbDatabase* db);

// The refusal of data of another shape.
std::string MicroBusShapeRefusalText();
