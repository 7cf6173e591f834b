#pragma once
// The openers of the editors of the "&Archivi" menu: each runs its editor over the main window
// inside one transaction, begun before the editor reads its rows and committed when it closes,
// however it closes.

class MainFrame;

// "gestione Ca&denze" (5115): the day-type editor, dialog 116.
void RunCadenceEditor(MainFrame& frame);

// "gestione Ca&lendario" (5116): the service-calendar editor, dialog 118.
void RunCalendarEditor(MainFrame& frame);

// "gestione &Corse" (5118): the trip editor, dialog 120, and from it the validity periods (126).
void RunTripEditor(MainFrame& frame);
