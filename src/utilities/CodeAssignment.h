#pragma once
// The automatic code assignments of the "&Utilità" menu: trip codes, contract values, stop codes,
// route codes and the quadro number as line code. Each writes its rows in one batch transaction,
// each row found by its key and changed field by field; a row the database refuses is skipped and
// not counted, and a run that does not reach its end leaves every row as it was. Each result holds
// its message: the result text below, or the stop message of a batch the database did not take.

#include "db/DbSelect.h"
#include "utilities/RowBatch.h"

#include <string>

// Trip codes "000001", "000002", ... in the order quadro, line, id; the counter advances for every
// trip found, whether its row is written or not.
AssignmentResult AssignTripCodes(DbDatabase* db, WorkProgress* progress);

// The authority and the contract of every trip, or of the trips of one line.
struct ContractChoice {
  bool anyLine = true;
  DbText line;  // without trailing blanks (as stored when it lost a character)
  int authority = 0;
  int contract = 0;
};
AssignmentResult AssignContractCodes(DbDatabase* db, const ContractChoice& choice, WorkProgress* progress);

// `warnedOfCodes`: whether the question the user confirmed said that codes were there (below).
// Codes there when the batch begins where it said none are not overwritten unwarned: nothing is
// written and the result says so, with the stop icon.
// Stop codes "AUTO00001", ...: one code for each stop name and place (texts without trailing
// blanks, letter case counting), numbered in the order of name and place.
AssignmentResult AssignStopCodes(DbDatabase* db, bool warnedOfCodes, WorkProgress* progress);
// Route codes "AUTO%05d" of each trip's quadro number.
AssignmentResult AssignRouteCodes(DbDatabase* db, bool warnedOfCodes, WorkProgress* progress);
// Line codes "Q_%04ld" of each trip's quadro number.
AssignmentResult AssignBoardAsLine(DbDatabase* db, WorkProgress* progress);

// Whether some stop row, or some trip, already holds a code (a text that is not blank).
bool StopCodesAssigned(DbDatabase* db);
bool RouteCodesAssigned(DbDatabase* db);

// The questions and the result texts of the commands.
std::string TripCodesQuestion();
std::string TripCodesResultText(const AssignmentResult& r);
std::string ContractCodesResultText(const AssignmentResult& r);
std::string StopCodesFirstQuestion();
std::string StopCodesSecondQuestion(bool alreadyAssigned);
std::string StopCodesResultText(const AssignmentResult& r);
std::string RouteCodesFirstQuestion();
std::string RouteCodesSecondQuestion(bool alreadyAssigned);
std::string RouteCodesResultText(const AssignmentResult& r);
std::string BoardAsLineQuestion();
std::string BoardAsLineResultText(const AssignmentResult& r);
