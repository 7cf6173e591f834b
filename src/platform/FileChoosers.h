#pragma once
// Every list of files the program shows: its own file dialogs, and those Qt's dialogs make by
// themselves (the print setup's "Stampa su file..." chooser behind the "..." beside "File di output",
// and the completer of that field). Each tells icons and types by the file names alone: Qt's own
// lookup reads the first bytes of a file whose name it does not know (the open database's "-shm" and
// "-wal" among them), and closing what it read drops every lock this process holds on that file:
// another program opening the database would then take itself for its only user and reset it under
// the window's feet. Each chooser also speaks the program's language (a folder is a "Cartella",
// sizes and dates are written the Italian way) and opens wide enough for the program's own file
// names and the types of the database's companion files.

namespace ui {

// From the first call on (later calls do nothing) every window of the application gets the above
// as it is polished and shown, before its lists fill in, and Qt's dialogs open Qt's own chooser
// rather than the desktop's, which the program could not reach. Every dialog of this layer that
// can list a folder calls it before it is built, and the application calls it at its start.
void WatchFileChoosers();

}  // namespace ui
