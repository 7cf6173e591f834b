#include "db/MasterRow.h"

#include "db/DbTable.h"

const char* const kMissingMasterText =
    "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!";

bool SeekMasterRow(DbTable& master) { return master.isOpen && master.SetIndex("codice") && master.SeekEqual({"0"}); }
