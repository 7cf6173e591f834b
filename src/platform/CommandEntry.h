#pragma once
// A row of the main window's menu: the shell's command table is a list of them, which the main
// window builds its menu from and runs its commands by.

#include <string>

class MainFrame;

// A command's routine: called with the main window, its result is not used.
using CommandRoutine = void (*)(MainFrame& frame);

enum CommandFlag : unsigned {
  kNoFlags = 0,
  kRedrawAfter = 1,  // the frame is redrawn when the routine returns
};

struct CommandEntry {
  // The popup holding the row: the popup labels from the bar down, joined by '>'; empty for the
  // two plain items of the bar.
  const char* menu;
  int id;             // 0: a separator
  const char* label;  // Windows-1252, with its '&' accelerator
  CommandRoutine routine;
  unsigned flags = kNoFlags;
};

// The enabling rule: the Database commands, "&Fine" and "&?" (5101-5107) never need a database.
inline bool CommandNeedsDatabase(int id) { return id < 5101 || id > 5107; }
