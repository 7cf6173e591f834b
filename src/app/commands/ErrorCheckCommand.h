#pragma once
// "verifica &Errori": the options of the data error check (dialog 130), the check with the busy
// clock and a progress bar per pass, then its rows previewed, printed or written to the text
// report. A database without errors says so and leaves no panel.

class ErrorListReport;
class MainFrame;

constexpr int kErrorCheckDialog = 130;

void VerifyErrors(MainFrame& frame);

// Asks where to write the ERR_ text report of the check's rows and writes it whole; nothing when
// the dialog is cancelled.
void SaveErrorReport(MainFrame& frame, const ErrorListReport& report);
