#include "app/CommandTable.h"

#include "app/commands/AuxiliaryImportCommands.h"
#include "app/commands/CleanUpCommands.h"
#include "app/commands/CodeAssignmentCommands.h"
#include "app/commands/CommunicationCommand.h"
#include "app/commands/CompanyCommand.h"
#include "app/commands/ContractExportCommand.h"
#include "app/commands/DirectoryReportCommands.h"
#include "app/commands/DuplicateTripsCommand.h"
#include "app/commands/EditorCommands.h"
#include "app/commands/ErrorCheckCommand.h"
#include "app/commands/ExportCommands.h"
#include "app/commands/GroupingCommand.h"
#include "app/commands/HyperPlanCommands.h"
#include "app/commands/ImportCommands.h"
#include "app/commands/IvuConversionCommand.h"
#include "app/commands/IvuExportCommand.h"
#include "app/commands/MicroBusCommands.h"
#include "app/commands/NormalizationCommands.h"
#include "app/commands/OlviCommands.h"
#include "app/commands/QualityCheckCommands.h"
#include "app/commands/RailwayCommands.h"
#include "app/commands/ReportCommands.h"
#include "app/commands/ShapeCheckCommands.h"
#include "app/commands/StopConversionCommands.h"
#include "app/commands/TripFixCommands.h"
#include "app/commands/WholeImportCommand.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

#include <string>

namespace {

// Popups, by their path from the bar.
constexpr const char* kDatabase = "&Database";
constexpr const char* kArchivi = "&Archivi";
constexpr const char* kImport = "&Archivi>&Importazione dati (VUR-TXT)";
constexpr const char* kIvu = "&Archivi>&IVU - InfoPool";
constexpr const char* kHyperPlan = "&Archivi>&HyperPlan/MTram";
constexpr const char* kMicroBus = "&Archivi>&MicroBus";
constexpr const char* kRail = "&Archivi>&RezuRuzada";
constexpr const char* kOlvi = "&Archivi>Export per &OlviGis";
constexpr const char* kStampe = "&Stampe";
constexpr const char* kUtilita = "&Utilità";
constexpr const char* kPulizie = "&Utilità>&Pulizie";
constexpr const char* kNormalizzazioni = "&Utilità>&Normalizzazioni";
constexpr const char* kBar = "";

// One row per line: a command gets its routine by changing its own line only.
const std::vector<CommandEntry> kTable = {
    {kDatabase, 5103, "&Crea", [](MainFrame& f) { f.OnDatabaseCreate(); }},
    {kDatabase, 5104, "&Connetti", [](MainFrame& f) { f.OnDatabaseConnect(); }},
    {kDatabase, 5105, "&Sconnetti", [](MainFrame& f) { f.OnDatabaseDisconnect(); }},
    {kDatabase, 0, "", nullptr},
    {kDatabase, 5106, "&Ripara", [](MainFrame& f) { f.OnDatabaseRepair(); }},
    {kDatabase, 5107, "&Duplica", [](MainFrame& f) { f.OnDatabaseDuplicate(); }},

    {kArchivi, 5108, "&Azienda", [](MainFrame& f) { EditWorkingCompany(&f); }},
    {kArchivi, 0, "", nullptr},
    {kArchivi, 5115, "gestione Ca&denze", RunCadenceEditor},
    {kArchivi, 5116, "gestione Ca&lendario", RunCalendarEditor},
    {kArchivi, 5118, "gestione &Corse", RunTripEditor},
    {kArchivi, 0, "", nullptr},
    {kImport, 5109, "&Protocollo", [](MainFrame& f) { ImportProtocol(&f, false); }},
    {kImport, 5110, "&Cadenze", [](MainFrame& f) { ImportCadences(&f, false); }},
    {kImport, 5111, "Ca&lendario", [](MainFrame& f) { ImportCalendar(&f, false); }},
    {kImport, 5112, "&Teste Corse", [](MainFrame& f) { ImportTripHeads(&f, false); }},
    {kImport, 5113, "&Dettagli Corse", [](MainFrame& f) { ImportTripDetails(&f, false); }},
    {kImport, 5114, "&Periodi Validità", [](MainFrame& f) { ImportValidityPeriods(&f, false); }},
    {kImport, 0, "", nullptr},
    {kImport, 5162, "&Fermate Normalizzate", ImportNormalisedStops},
    {kImport, 5173, "&Concatenazioni Corse", ImportChainFile},
    {kImport, 5204, "&Flusso di Ritorno Codici Regionali Corsa", ImportRegionalTripCodes},
    {kImport, 5208, "Import F&ermate per VurOlvi", ImportOlviStops},
    {kImport, 0, "", nullptr},
    {kImport, 5120, "Importazione &Complessiva", [](MainFrame& f) { ImportAll(f); }},
    {kArchivi, 5119, "&Esportazione dati (VUR-TXT)", [](MainFrame& f) { ExportTimetableText(&f); }},
    {kArchivi, 5193, "&Esportazione dati periodo (VUR-TXT)", [](MainFrame& f) { ExportTimetableTextForPeriod(&f); }},
    {kArchivi, 5202, "Esportazione &Rinumerazione (VUR-TXT)", [](MainFrame& f) { ExportTimetableTextRenumbered(&f); }},
    {kArchivi, 0, "", nullptr},
    {kIvu, 5184, "&Conversione dati IVU-InfoPool / VurTxt", [](MainFrame& f) { ConvertIvuToRt(&f); }},
    {kIvu, 5166, "&Esportazione dati IVU-InfoPool", [](MainFrame& f) { ExportIvuInfoPool(&f); }},
    {kHyperPlan, 5188, "Conversione Cartografia HyperPlan (&Nodi)", [](MainFrame& f) { ConvertHyperPlanStops(&f); }},
    {kHyperPlan, 5189, "Conversione Cartografia HyperPlan (&Percorsi)",
     [](MainFrame& f) { ConvertHyperPlanRoutes(&f); }},
    {kHyperPlan, 5190, "Assegnazione Codici Percorso (&HyperPlan)",
     [](MainFrame& f) { AssignHyperPlanRouteCodes(&f); }},
    {kHyperPlan, 0, "", nullptr},
    {kHyperPlan, 5207, "&Ricostruzione Cadenze MTram", [](MainFrame& f) { RebuildMTramCadences(&f); }},
    {kMicroBus, 5194, "Conversione Cartografia MicroBus (&Nodi)", [](MainFrame& f) { ConvertMicroBusStops(&f); }},
    {kMicroBus, 5195, "Conversione Cartografia MicroBus (&Percorsi)", [](MainFrame& f) { ConvertMicroBusRoutes(&f); },
     kRedrawAfter},
    {kMicroBus, 5209, "&Normalizzazione Comunicazione MicroBus",
     [](MainFrame& f) { NormalizeMicroBusCommunication(&f); }},
    {kMicroBus, 5206, "&Ricostruzione Cadenze MicroBus", [](MainFrame& f) { RebuildCadencesMicroBus(&f); }},
    {kRail, 5198, "Generazione Archi &Ferroviari", [](MainFrame& f) { GenerateRailwayArcs(&f); }, kRedrawAfter},
    {kRail, 5199, "Generazioni &Itinerari Ferroviari", [](MainFrame& f) { GenerateRailwayItineraries(&f); },
     kRedrawAfter},
    {kArchivi, 5197, "Pulizia Percorsi &Multipli", [](MainFrame& f) { ReduceMultiLineRoutes(&f); }, kRedrawAfter},
    {kArchivi, 0, "", nullptr},
    {kArchivi, 5170, "&Esportazione dati (VUR-TXT v2)", GenerateCommunicationV2},
    {kArchivi, 0, "", nullptr},
    {kOlvi, 5185, "Esportazione &Fermate", [](MainFrame& f) { ExportStopsForOlvi(&f); }},
    {kOlvi, 5186, "Esportazione &Percorsi", [](MainFrame& f) { ExportRoutesForOlvi(&f); }},

    {kStampe, 5133, "rubrica Ca&denze", PrintCadences},
    {kStampe, 5134, "rubrica Ca&lendario", PrintCalendar},
    {kStampe, 5135, "rubrica &Corse", PrintTrips},
    {kStampe, 5158, "rubrica &Quadri Linea", PrintLineTimetables},
    {kStampe, 0, "", nullptr},
    {kStampe, 5140, "rubrica &Fermate (normalizzate)", PrintStops},
    {kStampe, 5192, "rubrica Fermate (&Errori normalizzazione)", PrintStopErrors},
    {kStampe, 5163, "rubrica Fermate (&Località)", PrintStopLocalities},
    {kStampe, 5205, "rubrica Fermate (&Analisi Primarie)", PrintPrimaryStops},
    {kStampe, 5141, "rubrica &Percorsi (normalizzati)", PrintRoutes},
    {kStampe, 5200, "rubrica Percorsi (&Errori normalizzazione)", PrintRouteErrors},
    {kStampe, 5142, "rubrica &Linee (normalizzate)", PrintLines},
    {kStampe, 5153, "rubrica &Capolinea", PrintTerminals},
    {kStampe, 5174, "rubrica &Concatenazioni Corse", PrintTripChains},
    {kStampe, 0, "", nullptr},
    {kStampe, 5136, "verifica &Contratti", PrintContractCheck},
    {kStampe, 5201, "export Contratti (&txt/tab)", ExportServiceContracts},
    {kStampe, 5157, "verifica &Giorni Effettuazione", PrintOperatingDaysCheck},
    {kStampe, 5137, "verifica &Errori", VerifyErrors},

    {kUtilita, 5122, "&Raggruppamento Corse Omogenee",
     [](MainFrame& f) { GroupHomogeneousTrips(&f, GroupingMode::Command); }},
    {kUtilita, 5139, "&Sistemazione Corse", [](MainFrame& f) { FixTripTimes(&f); }},
    {kUtilita, 5121, "Assegnazione &Codici Corsa", [](MainFrame& f) { AssignTripCodes(&f); }},
    {kUtilita, 5138, "Assegnazione Codici C&ontratto", [](MainFrame& f) { AssignContractCodes(&f); }},
    {kUtilita, 5164, "Assegnazione Codici &Fermata", [](MainFrame& f) { AssignStopCodes(&f); }},
    {kUtilita, 5165, "Assegnazione Codici &Percorso", [](MainFrame& f) { AssignRouteCodes(&f); }},
    {kUtilita, 5159, "Sistemazione &Lunghezze", [](MainFrame& f) { FixRouteLengths(&f); }},
    {kUtilita, 5160, "Assegnazione &Quadro come Linea", [](MainFrame& f) { AssignBoardAsLine(&f); }},
    {kUtilita, 5175, "Aggiusta &Concatenazione Corse", [](MainFrame& f) { FixTripChaining(&f); }},
    {kUtilita, 5182, "Aggiusta &Orari \"zoppi\"", [](MainFrame& f) { FixHalfTransitTimes(&f); }},
    {kUtilita, 5183, "Aggiusta &Km e Tempi Contrattuali", [](MainFrame& f) { AlignContractLengthsAndTimes(&f); }},
    {kUtilita, 5187, "Sistemazione Corse &Doppie", [](MainFrame& f) { FixDuplicateTrips(&f); }},
    {kUtilita, 0, "", nullptr},
    {kUtilita, 5171, "Assegnazione &Tipo Mezzo (Aziendale)", [](MainFrame& f) { RunTransportModeByCompany(&f); }},
    {kUtilita, 5172, "Assegnazione Tipo &Mezzo (Linea)", [](MainFrame& f) { RunTransportModeByLine(&f); }},
    {kUtilita, 5176, "Assegnazione Tipo Mezzo (&Ente)", [](MainFrame& f) { RunTransportModeByAuthority(&f); }},
    {kUtilita, 0, "", nullptr},
    {kUtilita, 5167, "Verifica &Qualità Comunicazione", [](MainFrame& f) { CheckCommunicationQuality(&f); }},
    {kUtilita, 5168, "Verifica Cartografia &Fermate", [](MainFrame& f) { CheckStopsShapefile(&f); }},
    {kUtilita, 5169, "Verifica Cartografia &Percorsi", [](MainFrame& f) { CheckRoutesShapefile(&f); }},
    {kUtilita, 5196, "Verifica coerenza &Quadri/Percorsi", [](MainFrame& f) { CheckBoardRouteCoherence(&f); }},
    {kUtilita, 0, "", nullptr},
    {kPulizie, 5177, "&Codici Corsa", [](MainFrame& f) { ClearTripCodes(&f); }},
    {kPulizie, 5178, "Codici &Percorso", [](MainFrame& f) { ClearRouteCodes(&f); }},
    {kPulizie, 5179, "Codici &Fermata", [](MainFrame& f) { ClearStopCodes(&f); }},
    {kPulizie, 5180, "&Ubicazione Fermate", [](MainFrame& f) { ClearStopLocations(&f); }},
    {kPulizie, 5181, "Corse &Senza Periodi", [](MainFrame& f) { DeleteTripsWithoutPeriod(&f); }},
    {kPulizie, 0, "", nullptr},
    {kPulizie, 5191, "&Eliminazione Fermata", [](MainFrame& f) { DeleteStop(&f); }},
    {kNormalizzazioni, 5154, "&Fermate", [](MainFrame& f) { NormalizeStops(&f); }},
    {kNormalizzazioni, 5155, "Codici &Linea", [](MainFrame& f) { NormalizeLineCodes(&f); }},
    {kNormalizzazioni, 5156, "Codici &Percorso", [](MainFrame& f) { NormalizeRouteCodes(&f); }},
    {kNormalizzazioni, 0, "", nullptr},
    {kNormalizzazioni, 5161, "&Assegnazione  Località", [](MainFrame& f) { RunLocalityAssignment(&f); }},

    {kBar, 5101, "&Fine", [](MainFrame& f) { f.OnExit(); }},
    {kBar, 5102, "&?", [](MainFrame& f) { f.OnAbout(); }},
};

}  // namespace

const std::vector<CommandEntry>& CommandTable() { return kTable; }

const CommandEntry* FindCommand(int id) {
  if (id == 0) return nullptr;
  for (const CommandEntry& e : kTable)
    if (e.id == id) return &e;
  return nullptr;
}

std::string PlainLabel(const char* label) {
  std::string out;
  for (const char* p = label; p && *p; ++p) {
    if (*p == '&' && p[1] != '&') continue;
    if (*p == '&') ++p;
    out.push_back(*p);
  }
  return out;
}
