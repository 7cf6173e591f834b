#pragma once
// "&Utilità" > "&Raggruppamento Corse Omogenee" (5122), also the last step of the whole import.

class DbDatabase;
class MainFrame;
class WorkProgress;

// Whether the routine speaks: the command asks first and tells the result; the whole import runs
// it silently (only a missing `master` row is said).
enum class GroupingMode { Command, Silent };

// The routine with its boxes: the question first (not when silent), the stop box of a missing
// `master` row and of a grouping that could not be stored (always), the result box (not when
// silent). True when the numbers are stored.
bool GroupHomogeneousTrips(DbDatabase* db, WorkProgress* progress, GroupingMode mode);
// The same on the main window, with its progress.
void GroupHomogeneousTrips(MainFrame* frame, GroupingMode mode);
