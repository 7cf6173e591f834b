#pragma once
// "verifica &Errori": the options of the data error check (dialog 130), the check with the busy
// clock and a progress bar per pass, then its rows previewed, printed or written to the text
// report. A database without errors says so and leaves no panel.

class MainFrame;

constexpr int kErrorCheckDialog = 130;

void VerifyErrors(MainFrame& frame);
