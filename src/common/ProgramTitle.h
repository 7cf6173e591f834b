#pragma once
// The program's name with its long title in double quotes: the main window's caption whenever no
// company can be shown, and the first line of every printed page.

inline constexpr const char* kProgramTitle = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
