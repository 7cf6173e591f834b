#pragma once
// "&Esportazione dati IVU-InfoPool" ("&Archivi" > "&IVU - InfoPool"): the timetable written as an
// IVU-InfoPool file set. The options of dialog 147, the folder (the save dialog's chosen name is
// not used), the set read from the database with the status band and the progress bar, the
// stops' coordinates from an RT_NODI set when asked, then every file of the set written, all or
// none, and the closing message. A version longer than one day set writes nothing.

class MainFrame;

constexpr int kIvuExportDialog = 147;

void ExportIvuInfoPool(MainFrame* frame);
