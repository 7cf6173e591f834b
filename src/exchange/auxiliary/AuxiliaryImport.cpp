#include "exchange/auxiliary/AuxiliaryImport.h"

#include "common/InputFile.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "exchange/ExchangeText.h"

#include <utility>

bool ReadAllLines(const std::string& path, std::vector<std::string>& lines) {
  ExchangeReader reader;
  if (!reader.Open(path)) return false;
  ExchangeReader::Line line;
  while (reader.Next(line)) {
    // A line longer than the reader keeps is no line of these files: it stands as a line feed,
    // which no layout takes for data.
    lines.push_back(line.length > line.text.size() ? std::string("\n") : std::string(line.text));
  }
  return !reader.Failed();
}

bool StartAuxiliaryImport(const AuxiliaryImportOptions& o, const std::string& noCompanyText,
                          AuxiliaryImportResult& result, AuxiliaryStart& start) {
  if (!ReadAllLines(o.path, start.lines)) {
    result.Fail(CannotOpenText(o.path), NoticeIcon::Stop, o.path);
    return false;
  }
  const int company = WorkingCompany(o.db, Undone::Changes, result.refusal);
  if (!result.refusal.empty()) {
    result.Fail(result.refusal);
    return false;
  }
  if (company >= 0) start.company = company;
  result.ok = true;
  if (!start.company) result.Tell(noCompanyText, NoticeIcon::Stop);
  return true;
}

bool SetKeyedField(DbTable& table, std::initializer_list<const char*> keys, const char* field,
                   const std::string& value) {
  return table.SeekEqual(keys) && table.Edit() && table.SetFieldText(field, value) && table.Update();
}

void Conclude(bool committed, Notice last, AuxiliaryImportResult& result) {
  if (!committed) {
    result.ok = false;
    result.updated = 0;
    last = {result.refusal.empty() ? kAuxiliaryNotStoredText : result.refusal, NoticeIcon::Stop, {}};
  }
  result.Tell(std::move(last.text), last.icon, std::move(last.caption));
}
