#include "utilities/CoherenceCheck.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "utilities/RowBatch.h"

const char* const kCoherentText = "La codifica dei percorsi è perfettamente coerente con la codifica dei quadri orari";
const char* const kIncoherentText =
    "ATTENZIONE: Sono stati riscontrati errori di coerenza tra le codifiche\n"
    "utilizzate per i quadri orari e per i percorsi !!!\n\n"
    "Sta per essere generato un report degli errori identificati";
const char* const kCoherenceReportName = "ERRORI_QUADRI_PERCORSI";
const char* const kCoherenceReportTitle = "Report Errori Riscontrati";

void CoherenceMessageList::AddBoardMessage(long board, const std::string& previousRoute, const std::string& route) {
  boards.push_back(Format("Quadro %ld", board) + " Percorsi: " + previousRoute + " / " + route + "\n");
}

void CoherenceMessageList::AddRouteMessage(const std::string& route, long previousBoard, long board) {
  routes.push_back("Percorso: " + route + Format(" Quadri: %ld / %ld\n", previousBoard, board));
}

namespace {

// The distinct pairs of quadro and route code (a missing one as 0 or the empty code, the code
// without trailing blanks, so that a missing and a blank code are one code), in the order of the
// columns; `pair` gets each pair with whether it follows another, the code as read and its key.
// A pair holding a value its column cannot hold (bytes as a code are kept as bytes) ends the walk
// with the refusal that names it, on the lowest trip of the pair; false then.
template <class Pair>
bool WalkPairs(DbDatabase* db, bool routeFirst, std::string& refusal, Pair pair) {
  const char* board = "IFNULL(gruppo, 0)";
  const char* route = "CASE WHEN typeof(codperc) = 'blob' THEN codperc ELSE RTRIM(IFNULL(codperc, '')) END";
  const std::string columns = routeFirst ? std::string(route) + ", " + board : std::string(board) + ", " + route;
  const int routeAt = routeFirst ? 0 : 1, boardAt = 1 - routeAt;
  DbSelect select(db);
  select.SetStreaming(true);
  select.SetFaultsToldByCaller(true);
  select.SetColumns(columns + ", MIN(id)");
  select.SetFrom("tescor");
  select.SetGroupBy(columns);
  select.SetOrderBy(columns);
  select.Open();
  bool first = true;
  KeyedText code;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    ReadKeyedText(select, routeAt, code);
    const long quadro = select.LongAt(boardAt);
    if (select.Faulted()) {
      refusal = StoredValueRefusal(StoredTripRow(select, 2),
                                   select.FaultText(select.Fault().position == routeAt ? "codperc" : "gruppo"),
                                   Undone::Findings);
      return false;
    }
    pair(first, quadro, code.text, code.Key());
    first = false;
  }
  return true;
}

}  // namespace

CoherenceMessageList FindBoardRouteIncoherence(DbDatabase* db) {
  CoherenceMessageList list;
  long lastBoard = 0;
  std::string lastRoute, lastKey, refusal;
  const bool read =
      WalkPairs(db, false, refusal,
                [&](bool first, long board, const std::string& route, std::string_view) {
                  if (!first && board == lastBoard) list.AddBoardMessage(board, lastRoute, route);
                  lastBoard = board;
                  lastRoute = route;
                }) &&
      // Routes are one code when the database holds one: two read alike, with '?', are two.
      WalkPairs(db, true, refusal, [&](bool first, long board, const std::string& route, std::string_view key) {
        if (!first && key == lastKey) list.AddRouteMessage(route, lastBoard, board);
        lastBoard = board;
        lastKey = key;
      });
  if (!read) {
    list.boards.clear();
    list.routes.clear();
    list.refused = true;
    list.Fail(refusal);
  } else if (list.Empty())
    list.Succeed(kCoherentText);
  else
    list.Fail(kIncoherentText);
  return list;
}

namespace {

// A line of the list with CR LF for its "\n".
std::string CrLf(const std::string& line) { return line.substr(0, line.size() - 1) + "\r\n"; }

}  // namespace

std::string CoherenceReportText(const CoherenceMessageList& list, const ClockTime& now) {
  const std::string rule(72, '=');
  std::string out = rule + "\r\n";
  out += Format("%02d/%02d/%04d %02d.%02d Report verifica Coerenza Quadri Percorsi (Quendo)\r\n", now.day, now.month,
                now.year, now.hour, now.minute);
  out += rule + "\r\n\r\n";
  out += "******* Quadri che utilizzano diversi percorsi ********\r\n\r\n";
  for (const std::string& line : list.boards) out += CrLf(line);
  out += "\r\n******** Percorsi utilizzati in quadri diversi **********\r\n\r\n";
  for (const std::string& line : list.routes) out += CrLf(line);
  return out;
}

Outcome WriteCoherenceReport(const std::string& path, const CoherenceMessageList& list, const ClockTime& now) {
  if (list.refused) return list;  // no report of a reading that stopped
  return SaveWholeFile(path, CoherenceReportText(list, now));
}
