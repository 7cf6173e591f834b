#pragma once
// "Verifica &Qualità Comunicazione": whether the stops, trips and distances of the database are
// complete enough for a communication. Three checks, each one streamed selection, append their
// findings (one line each, counted on rows) to one text; the verdict is "ECCELLENTE" when all
// three pass, else "CARENTE". It only reads.

#include "common/Outcome.h"

#include <string>

class DbDatabase;

// Each appends its lines to `findings` and returns true when it passes. A selection that fails
// (the layer has said why) ends the reading; the check judges on what it counted so far. A value
// read that its column cannot hold ends it too, with `refusal` the message that names it.
bool CheckStopQuality(DbDatabase* db, std::string& findings, std::string& refusal);
bool CheckTripQuality(DbDatabase* db, std::string& findings, std::string& refusal);
bool CheckDistanceQuality(DbDatabase* db, std::string& findings, std::string& refusal);

// The check's outcome: done, with the whole message as an information, "La qualità dei dati
// risulta " + verdict + "\n\n" + the findings; or, at a value its column cannot hold, not done,
// with the message that names it and no verdict.
Outcome CommunicationQuality(DbDatabase* db);
