#pragma once
// Italian descriptions of the engine's failures, with the engine's own text after them.

#include <string>

struct sqlite3;

enum class DbOperation { Other, Insert, Update, Delete };

// Said after the engine's failure when the work of the whole transaction is gone with it.
inline constexpr const char* kTransactionCancelledText = "Le modifiche della transazione sono state annullate.";

// How a failure because another program holds the file (busy, locked) begins.
inline constexpr const char* kEngineBusyText = "Il database è bloccato da un altro utente o programma";

std::string EngineErrorText(sqlite3* db, int rc, DbOperation op = DbOperation::Other);
std::string EngineErrorText(int rc, const std::string& engineText, DbOperation op = DbOperation::Other);
