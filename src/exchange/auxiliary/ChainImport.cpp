#include "exchange/auxiliary/ChainImport.h"

#include "common/Formatters.h"
#include "db/DbTable.h"
#include "exchange/RecordLayouts.h"

namespace {

struct Chain {
  long trip = 0, next = 0;
};

// The pair of a line of the working company; false for any other line.
bool ReadChain(const std::string& text, const std::optional<int>& company, Chain& chain) {
  const RecordLayout& layout = ChainLayout();
  if (!company || text.size() != static_cast<size_t>(layout.length)) return false;
  long lineCompany = 0;
  const auto number = [&](const FieldDef& field, long& value) {
    return ReadNumber(field, FieldBytes(text, field), value);
  };
  return number(layout.fields[0], lineCompany) && lineCompany == *company && number(layout.fields[1], chain.trip) &&
         number(layout.fields[2], chain.next);
}

}  // namespace

AuxiliaryImportResult RunChainImport(const AuxiliaryImportOptions& o) {
  AuxiliaryImportResult result;
  AuxiliaryStart start;
  if (!StartAuxiliaryImport(o, kNoWorkingCompanyText, result, start)) return result;

  std::vector<Chain> chains;
  bool illegal = false;
  for (const std::string& line : start.lines) {
    Chain chain;
    if (ReadChain(line, start.company, chain))
      chains.push_back(chain);
    else
      illegal = true;
  }
  if (illegal) result.messages.push_back({kChainFormatText, NoticeIcon::Stop, {}});
  if (chains.empty()) {
    result.messages.push_back({kNoChainText, NoticeIcon::Stop, {}});
    return result;
  }

  DbTable trips(o.db, "tescor");
  trips.SetIndex("codice");
  const bool committed = UpdateInOneBatch(
      o, chains, true,
      [&](const Chain& c) {
        const std::string trip = std::to_string(c.trip), next = std::to_string(c.next);
        return SetKeyedField(trips, {trip.c_str()}, "nextcor", next) +
               SetKeyedField(trips, {next.c_str()}, "prevcor", trip);
      },
      result);
  Conclude(committed, {Format("Sono stati modificate %d corse", result.updated), NoticeIcon::Information, {}}, result);
  return result;
}
