#pragma once
// The stops' georeferencing step shared by the communication and the IVU-InfoPool export: the
// caption "Recupero Georeferenziazione Fermate" in the status band, the RT_NODI set chosen in an
// open dialog and read into a GeoStopList (conversions/georeferencing). A set not chosen, refused
// or not readable says that the georeferencing failed (a refused one says why first); the command
// then goes on without coordinates.

#include "exchange/GeoStops.h"

class MainFrame;
class WorkProgress;

// True with `list` filled (it may be empty, after the note that says so); false after the
// messages, with `list` empty. `roundToCents`: the coordinates as the communication writes them.
bool ChooseStopCoordinates(MainFrame& frame, int company, bool roundToCents, GeoStopList& list, WorkProgress* progress);
