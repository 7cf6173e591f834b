#pragma once
// The main window's whole menu as one table: in menu order, every command with its id, its label
// and the routine it runs, the separators, and the popup each belongs to. The menu bar, the
// enabling rule and the headless driver are all built from it.

#include "platform/CommandEntry.h"

#include <string>
#include <vector>

// The rows in menu order.
const std::vector<CommandEntry>& CommandTable();

// The row of a command id, or null.
const CommandEntry* FindCommand(int id);

// The label without its '&' accelerator marks.
std::string PlainLabel(const char* label);
