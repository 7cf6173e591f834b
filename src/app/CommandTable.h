#pragma once
// The main window's whole menu as one table: in menu order, every command with its id, its label
// and the routine it runs, the separators, and the popup each belongs to. The menu bar, the
// enabling rule and the headless driver are all built from it.

#include <string>
#include <vector>

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

// The rows in menu order.
const std::vector<CommandEntry>& CommandTable();

// The row of a command id, or null.
const CommandEntry* FindCommand(int id);

// The enabling rule: the Database commands, "&Fine" and "&?" (5101-5107) never need a database.
bool CommandNeedsDatabase(int id);

// The label without its '&' accelerator marks.
std::string PlainLabel(const char* label);
