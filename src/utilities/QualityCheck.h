#pragma once
// "Verifica &Qualità Comunicazione": whether the stops, trips and distances of the database are
// complete enough for a communication. Three checks, each one streamed selection, append their
// findings (one line each, counted on rows) to one text; the verdict is "ECCELLENTE" when all
// three pass, else "CARENTE". It only reads.

#include "common/Outcome.h"

#include <string>

class DbDatabase;

// Each appends its lines to `findings` and returns true when it passes. A selection that fails
// (the layer has said why) ends the reading; the check judges on what it counted so far.
bool CheckStopQuality(DbDatabase* db, std::string& findings);
bool CheckTripQuality(DbDatabase* db, std::string& findings);
bool CheckDistanceQuality(DbDatabase* db, std::string& findings);

// The whole message: "La qualità dei dati risulta " + verdict + "\n\n" + the findings.
std::string CommunicationQualityText(DbDatabase* db);
// The same as the check's outcome: done, with that message as an information.
Outcome CommunicationQuality(DbDatabase* db);
