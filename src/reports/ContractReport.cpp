#include "reports/ContractReport.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

#include <cstdio>

namespace {

enum Column {
  kLine,
  kId,
  kMode,
  kTripCode,
  kDeparture,
  kLength,
  kContractLength,
  kTime,
  kContractTime,
  kDays,
  kPeriodKm,
  kPeriodTime,
};

}  // namespace

ContractReport::ContractReport(DbDatabase* db, bool detail) : Report("Rubrica Contratti"), tripsAndTotals(detail) {
  ReadSubtitle(db);
  columns_ = {{"Codice Linea", "Codice Linea"},
              {"9999999999", "ID Corsa"},
              {"Bus Extraurbano", "Mezzo"},
              {"Codice Corsa", "Codice Corsa"},
              {"Ora Partenza", "Ora Partenza"},
              {"Km. Reali", "Km. Reali"},
              {"Km. Contratto", "Km. Contratto"},
              {"Tempo Reale", "Tempo Reale"},
              {"Tempo Contratto", "Tempo Contratto"},
              {"Giorni", "Giorni"},
              {"Km Contratto Periodo", "Km Contratto Periodo"},
              {"Tempo Contratto Periodo", "Tempo Contratto Periodo"}};
}

void ContractReport::Load(DbDatabase* db, WorkProgress* progress) {
  DropRows();
  {
    // One moment of the database for every selection.
    DbReadSnapshot snapshot(db);
    RowFault fault;
    const ServiceCalendar calendar = ReadWorkingCalendar(db, fault);
    if (fault.Any()) return KeepFault(fault);
    TripReadFault tripFault;
    trips = ReadContractTrips(db, calendar, progress, &tripFault);
    if (tripFault.value.position >= 0) return KeepFault(TripRowFault(tripFault));
    DbTable regent(db, "regent");
    regent.SetFaultsToldByCaller(true);
    const bool indexed = regent.isOpen && regent.SetIndex("codice");
    for (const ContractTrip& t : trips) {
      if (authorityNames.count(t.ente)) continue;
      std::string name;
      const std::string key = std::to_string(t.ente);
      if (indexed && regent.SeekEqual({key.c_str()}) && regent.GetFieldText("denom", name))
        authorityNames[t.ente] = std::string(WithoutTrailingBlanks(name));
      else if (regent.Faulted())
        return KeepFault(regent.Fault(), Format("ente %d", t.ente), "regent");
      else
        authorityNames[t.ente] = "*** INESISTENTE ***";
    }
  }
  MakeEntries();
}

void ContractReport::DropRows() {
  trips.clear();
  entries.clear();
  authorityNames.clear();
}

void ContractReport::MakeEntries() {
  if (trips.empty()) return;
  int ente = trips[0].ente, contract = trips[0].contract;
  std::string line = trips[0].lineCode, lineKey = trips[0].lineKey;
  char direction = trips[0].direction;
  double lineMetres = 0, lineMinutes = 0, contractMetres = 0, contractMinutes = 0;
  auto lineTotals = [&] {
    entries.push_back({ente, contract, -1, Format("TOTALI %s %c", line.c_str(), direction), lineMetres, lineMinutes});
    lineMetres = lineMinutes = 0;
  };
  auto contractTotals = [&] {
    entries.push_back({ente, contract, -1, "TOTALI CONTRATTO", contractMetres, contractMinutes});
    contractMetres = contractMinutes = 0;
  };
  for (size_t k = 0; k < trips.size(); ++k) {
    const ContractTrip& t = trips[k];
    if (t.ente != ente || t.contract != contract) {
      lineTotals();
      contractTotals();
      ente = t.ente;
      contract = t.contract;
      line = t.lineCode;
      lineKey = t.lineKey;
      direction = t.direction;
    } else if (t.lineKey != lineKey || t.direction != direction) {
      lineTotals();
      line = t.lineCode;
      lineKey = t.lineKey;
      direction = t.direction;
    }
    entries.push_back({t.ente, t.contract, static_cast<long>(k), {}, 0, 0});
    const double metres = static_cast<double>(t.days) * static_cast<double>(t.contractMetres);
    const double minutes = static_cast<double>(t.days) * t.contractMinutes;
    lineMetres += metres;
    contractMetres += metres;
    lineMinutes += minutes;
    contractMinutes += minutes;
  }
  lineTotals();
  contractTotals();
}

std::string ContractReport::TripPeriodTime(long minutes) {
  return minutes >= 60 ? Format("%ld:%02ld", minutes / 60, minutes % 60) : Format("00:%02ld", minutes);
}

std::string ContractReport::TotalTime(double minutes) {
  if (minutes < 60) return Format("00:%1.0lf", minutes);
  const long hours = static_cast<long>(minutes / 60);
  return Format("%ld:%02ld", hours, static_cast<long>(minutes - static_cast<double>(hours) * 60));
}

bool ContractReport::OpensPage(size_t n) const {
  const Entry& e = entries[n];
  return e.trip >= 0 && (e.ente != entries[n - 1].ente || e.contract != entries[n - 1].contract);
}

int ContractReport::RowHeight(size_t n) const { return entries[n].trip < 0 || tripsAndTotals ? LineHeight() + 20 : 0; }

int ContractReport::ExtraHeadLines(ReportCanvas* canvas, int page, int y) {
  if (canvas) {
    const long first = GetPageEntry(page);
    if (first >= 0 && static_cast<size_t>(first) < entries.size()) {
      const Entry& e = entries[static_cast<size_t>(first)];
      const auto name = authorityNames.find(e.ente);
      canvas->Text(Left(), y,
                   Format("Ente Gestore: %d - %s            Contratto %d", e.ente,
                          name == authorityNames.end() ? "*** INESISTENTE ***" : name->second.c_str(), e.contract));
    }
  }
  return y + LineHeight() + 50;
}

bool ContractReport::GridLineBefore(size_t i) const { return i == kLine || i == kPeriodKm || i == kPeriodTime; }

int ContractReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Entry& e = entries[n];
  const int next = y + LineHeight() + 20;
  const int text = y + 10;
  if (e.trip < 0) {
    RowLine(canvas, X(kLine) - 20, y);
    canvas.RightText(X(kDays) + W(kDays), text, e.label);
    canvas.RightText(X(kPeriodKm) + W(kPeriodKm), text, KilometresText(e.metres));
    canvas.RightText(X(kPeriodTime) + W(kPeriodTime), text, TotalTime(e.minutes));
    return next;
  }
  if (!tripsAndTotals) return y;
  const ContractTrip& t = trips[static_cast<size_t>(e.trip)];
  RowLine(canvas, X(kLine) - 20, y);
  canvas.Text(X(kLine), text, t.lineCode + ' ' + t.direction);
  canvas.RightText(X(kId) + W(kId), text, Format("%ld", t.id));
  canvas.Text(X(kMode), text, TransportModeName(t.mode));
  canvas.Text(X(kTripCode), text, t.tripCode);
  auto right = [&](int column, const std::string& value) { canvas.RightText(X(column) + W(column), text, value); };
  right(kDeparture, t.departure);
  right(kLength, t.length);
  right(kContractLength, t.contractLength);
  right(kTime, t.time);
  right(kContractTime, t.contractTime);
  right(kDays, Format("%ld", t.days));
  right(kPeriodKm, KilometresText(static_cast<double>(t.contractMetres) * static_cast<double>(t.days)));
  right(kPeriodTime, TripPeriodTime(static_cast<long>(t.contractMinutes) * t.days));
  for (size_t i = kId; i < columns_.size(); ++i) canvas.Line(X(i) - 20, y, X(i) - 20, next);
  return next;
}
