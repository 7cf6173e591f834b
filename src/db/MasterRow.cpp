#include "db/MasterRow.h"

#include "db/DbSchema.h"
#include "db/DbTable.h"

#include <algorithm>
#include <cstdlib>

const char* const kMissingMasterText =
    "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!";

bool SeekMasterRow(DbTable& master) { return master.isOpen && master.SetIndex("codice") && master.SeekEqual({"0"}); }

std::string MasterRowRefusal(const DbSelect::ValueFault& fault, Undone undone) {
  return StoredValueRefusal("dati generali", TitledFaultText(fault, "master"), undone);
}

std::string CounterPastItsColumnRefusal(const char* field, std::int64_t next, const std::string& unnumbered,
                                        Undone undone) {
  const std::string fault = "il campo " + std::string(field) + " (" + SchemaFieldTitle("master", field) +
                            ") dovrebbe passare a " + std::to_string(std::min(next, kLargestCounter + 1)) + ", oltre " +
                            std::to_string(kLargestCounter) +
                            ", il numero più grande che la sua colonna può contenere:\n" + unnumbered;
  return StoredValueRefusal("dati generali", fault, undone);
}

MasterFields ReadMasterFields(DbDatabase* db, const std::vector<const char*>& fields, Undone undone) {
  MasterFields read;
  DbTable master(db, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) return read;
  read.found = true;
  read.texts.resize(fields.size());
  for (size_t k = 0; k < fields.size(); ++k) master.GetFieldText(fields[k], read.texts[k]);
  if (master.Faulted()) read.refusal = MasterRowRefusal(master.Fault(), undone);
  return read;
}

int WorkingCompany(DbDatabase* db, Undone undone, std::string& refusal) {
  const MasterFields master = ReadMasterFields(db, {"azienda"}, undone);
  refusal = master.refusal;
  return master.found && refusal.empty() ? std::atoi(master.texts[0].c_str()) : -1;
}
