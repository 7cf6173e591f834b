#pragma once
// The report commands of "&Stampe": each runs its options dialog, builds its report and loads its
// rows with the busy clock, then previews or prints it in the report view, the main window's
// panel. A report without rows says so and leaves no panel.

#include <memory>

class MainFrame;
class Report;
class ReportView;

// Resource ids of the options dialogs.
constexpr int kCadenceListDialog = 123;
constexpr int kCalendarListDialog = 124;
constexpr int kTripListDialog = 125;
constexpr int kLineTableListDialog = 144;
constexpr int kContractCheckDialog = 128;
constexpr int kOperatingDaysCheckDialog = 142;

// "rubrica Ca&denze".
void PrintCadences(MainFrame& frame);
// "rubrica Ca&lendario".
void PrintCalendar(MainFrame& frame);
// "rubrica &Corse".
void PrintTrips(MainFrame& frame);
// "rubrica &Quadri Linea".
void PrintLineTimetables(MainFrame& frame);
// "verifica &Contratti".
void PrintContractCheck(MainFrame& frame);
// "verifica &Giorni Effettuazione".
void PrintOperatingDaysCheck(MainFrame& frame);
