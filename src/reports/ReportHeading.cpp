#include "reports/ReportHeading.h"

#include "checks/CompanyHeading.h"

std::string CompanySubtitle(DbDatabase* db) { return ReadCompanyHeading(db).Subtitle(); }
