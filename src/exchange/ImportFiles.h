#pragma once
// The six imports of the regional files, one engine each (made through ImportEngine::Create).

#include "exchange/ImportEngine.h"

#include <memory>

std::unique_ptr<ImportEngine> MakeProtocolImport(const ImportOptions& options);
std::unique_ptr<ImportEngine> MakeCadenceImport(const ImportOptions& options);
std::unique_ptr<ImportEngine> MakeCalendarImport(const ImportOptions& options);
std::unique_ptr<ImportEngine> MakeTripHeadImport(const ImportOptions& options);
std::unique_ptr<ImportEngine> MakeTripDetailImport(const ImportOptions& options);
std::unique_ptr<ImportEngine> MakePeriodImport(const ImportOptions& options);
