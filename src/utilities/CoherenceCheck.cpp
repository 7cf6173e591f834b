#include "utilities/CoherenceCheck.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"

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
template <class Pair>
void WalkPairs(DbDatabase* db, bool routeFirst, Pair pair) {
  const char* board = "IFNULL(gruppo, 0)";
  const char* route = "RTRIM(IFNULL(codperc, ''))";
  const std::string columns = routeFirst ? std::string(route) + ", " + board : std::string(board) + ", " + route;
  DbSelect select(db);
  select.SetStreaming(true);
  select.SetColumns(columns);
  select.SetFrom("tescor");
  select.SetGroupBy(columns);
  select.SetOrderBy(columns);
  select.Open();
  bool first = true;
  KeyedText code;
  for (bool more = select.hasRow; more; more = select.MoveNext()) {
    ReadKeyedText(select, routeFirst ? 0 : 1, code);
    pair(first, select.LongAt(routeFirst ? 1 : 0), code.text, code.Key());
    first = false;
  }
}

}  // namespace

CoherenceMessageList FindBoardRouteIncoherence(DbDatabase* db) {
  CoherenceMessageList list;
  long lastBoard = 0;
  std::string lastRoute, lastKey;
  WalkPairs(db, false, [&](bool first, long board, const std::string& route, std::string_view) {
    if (!first && board == lastBoard) list.AddBoardMessage(board, lastRoute, route);
    lastBoard = board;
    lastRoute = route;
  });
  // Routes are one code when the database holds one: two read alike, with '?', are two.
  WalkPairs(db, true, [&](bool first, long board, const std::string& route, std::string_view key) {
    if (!first && key == lastKey) list.AddRouteMessage(route, lastBoard, board);
    lastBoard = board;
    lastKey = key;
  });
  if (list.Empty())
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
  return SaveWholeFile(path, CoherenceReportText(list, now));
}
