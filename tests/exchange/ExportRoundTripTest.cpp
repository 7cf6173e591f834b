// The plain export on real databases and real files: the hand-made set imported and exported
// again, the authority filter, the list of normalised stops, the company of every record, and
// values that do not fit their fields.

#include "ExchangeTestSupport.h"
#include "ExportTestSupport.h"

#include "exchange/RecordLayouts.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

struct RoundTrip : ImportedDatabaseTest {
  ExportResult Export(ExportOptions options = {}) { return ExportInto(db, out, options); }
};

// The counts of the result as "written/read" per file.
std::vector<std::string> Counts(const ExportResult& r) {
  std::vector<std::string> c;
  for (const ExportCount& n : r.counts) c.push_back(std::to_string(n.written) + "/" + std::to_string(n.read));
  return c;
}

const std::string kStopsHeader = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita";

TEST_F(RoundTrip, HandMadeSetComesBackByteForByteAndTheDatabaseStaysAsItWas) {
  const std::string before = DumpTimetable(db);
  const ExportResult r = Export();
  ASSERT_TRUE(r.complete) << r.failedPath;
  EXPECT_TRUE(installed->Messages().empty()) << MessagesOf(*installed);
  for (const char* name :
       {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(ReadBytes(Out(name)), ReadBytes(HandMadeFile(name))) << name;
  // The imports leave every stop without locality: the list has its header only.
  EXPECT_EQ(ReadBytes(Out("FERMATE_NORMALIZZATE.TXT")), kStopsHeader + "\r\n");
  EXPECT_EQ(Counts(r), (std::vector<std::string>{"3/3", "8/8", "4/4", "2/2", "3/3", "1/1", "0/0"}));
  EXPECT_EQ(ExportResultText(r),
            "Risultati dell'esportazione dati:\n\n"
            "3 su 3 Teste Corsa\n8 su 8 Dettagli Corsa\n4 su 4 Periodi Validità Corsa\n2 su 2 Cadenze\n"
            "3 su 3 Calendario Giorni/Cadenze\n1 su 1 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
  EXPECT_EQ(FolderEntries(out),
            (std::vector<std::string>{"FERMATE_NORMALIZZATE.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT", "RT_DTORA.TXT",
                                      "RT_HDORA.TXT", "RT_PERIOD.TXT", "RT_PROTO.TXT"}));
  EXPECT_EQ(DumpTimetable(db), before);

  // A second export replaces the files with the same bytes.
  ASSERT_TRUE(Export().complete);
  EXPECT_EQ(ReadBytes(Out("RT_DTORA.TXT")), ReadBytes(HandMadeFile("RT_DTORA.TXT")));
  EXPECT_EQ(FolderEntries(out).size(), 7u);
}

TEST_F(RoundTrip, EveryRecordCarriesTheCompanyOfTheMasterRow) {
  RunSql(db, "UPDATE master SET azienda = 42");
  ASSERT_TRUE(Export().complete);
  for (const std::string& name : kExportNames) {
    const auto lines = ExportedLines(Out(name));
    for (size_t k = 0; k < lines.size(); ++k) {
      if (name == "FERMATE_NORMALIZZATE.TXT") continue;
      EXPECT_EQ(lines[k].substr(0, 4), "0042") << name << " line " << k + 1;
      // Everything after the company is what the hand-made line holds.
      EXPECT_EQ(lines[k].substr(4), HandMadeLines(name)[k].substr(4)) << name << " line " << k + 1;
    }
  }
}

TEST_F(RoundTrip, OneAuthorityRestrictsTheTripFilesOnly) {
  ExportOptions options;
  options.anyAuthority = false;
  options.authority = 5;  // trips 1 and 3; trip 2 belongs to authority 1
  const ExportResult r = Export(options);
  ASSERT_TRUE(r.complete);
  const auto keep = [](const std::string& name) {
    std::vector<std::string> kept;
    for (const std::string& l : HandMadeLines(name))
      if (l.substr(4, 6) != "000002") kept.push_back(l);
    return kept;
  };
  EXPECT_EQ(ExportedLines(Out("RT_HDORA.TXT")), keep("RT_HDORA.TXT"));
  EXPECT_EQ(ExportedLines(Out("RT_DTORA.TXT")), keep("RT_DTORA.TXT"));
  EXPECT_EQ(ExportedLines(Out("RT_PERIOD.TXT")), keep("RT_PERIOD.TXT"));
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"})
    EXPECT_EQ(ReadBytes(Out(name)), ReadBytes(HandMadeFile(name))) << name;
  EXPECT_EQ(Counts(r), (std::vector<std::string>{"2/2", "6/6", "3/3", "2/2", "3/3", "1/1", "0/0"}));

  // An authority without trips: the trip files are empty, the others whole.
  options.authority = 7;
  const ExportResult none = Export(options);
  ASSERT_TRUE(none.complete);
  EXPECT_EQ(ReadBytes(Out("RT_HDORA.TXT")), "");
  EXPECT_EQ(ReadBytes(Out("RT_PERIOD.TXT")), "");
  EXPECT_EQ(ReadBytes(Out("RT_CALEN.TXT")), ReadBytes(HandMadeFile("RT_CALEN.TXT")));
}

TEST_F(RoundTrip, NormalisedStopsAreListedOncePerStopAndLocality) {
  // Two localities of our own; trip 1's stops and trip 2's "Città" get one each, the stop of
  // trip 3 names a locality that does not exist, trip 2's first stop keeps 0.
  RunSql(db,
         "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla   ', 45001, 'Aulla', 'MS'), "
         "(9002, 'Città Alta', 7, 'Aulla', 'MS');"
         "UPDATE detcor SET reglocal = 9001 WHERE id = 1 AND sub IN (1, 2);"
         "UPDATE detcor SET reglocal = 9002 WHERE fermata = 'F03' AND id IN (1, 2);"
         "UPDATE detcor SET reglocal = 8999 WHERE id = 3 AND sub = 1;");
  ASSERT_TRUE(Export().complete);
  EXPECT_EQ(ExportedLines(Out("FERMATE_NORMALIZZATE.TXT")),
            (std::vector<std::string>{kStopsHeader, "17\tF01\tAulla Stazione\tPiazza Città\t045001\tAulla",
                                      "17\tF02\tBivio Olivola\t\t045001\tAulla",
                                      "17\tF03\tCittà\tVia Roma\t000007\tCittà Alta"}));
}

TEST_F(RoundTrip, ValuesThatDoNotFitKeepTheLayoutAndAreCounted) {
  // A length too long for its field, a time of -1, a blank direction, a negative contract.
  RunSql(db,
         "UPDATE tescor SET verso = ' ', contratt = -3 WHERE id = 2;"
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
         "ct_tempo, gruppo) VALUES (123456, 'LUNGA', 'L9', 'A', 0, 0, 5, 1, 123456789, 12, 1, 1, -1);"
         "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "VALUES (123456, 1, 'F09', 'Capolinea', 0, -1, 9999, 1, 0, 1, 0);");
  const ExportResult r = Export();
  ASSERT_TRUE(r.complete);
  const auto heads = ExportedLines(Out("RT_HDORA.TXT"));
  ASSERT_EQ(heads.size(), 4u);
  for (const std::string& l : heads) EXPECT_EQ(l.size(), static_cast<size_t>(TripHeadLayout().length));
  const RecordLayout& h = TripHeadLayout();
  EXPECT_EQ(FieldBytes(heads[1], *h.Field("verso")), " ");
  EXPECT_EQ(FieldBytes(heads[1], *h.Field("contratt")), "-003");
  EXPECT_EQ(FieldBytes(heads[3], *h.Field("id")), "123456");
  EXPECT_EQ(FieldBytes(heads[3], *h.Field("lung")), "99999999");
  EXPECT_EQ(FieldBytes(heads[3], *h.Field("codcorsa")), "LUNGA               ");
  const auto stops = ExportedLines(Out("RT_DTORA.TXT"));
  ASSERT_EQ(stops.size(), 9u);
  const RecordLayout& d = TripDetailLayout();
  EXPECT_EQ(stops[8].size(), static_cast<size_t>(d.length));
  EXPECT_EQ(FieldBytes(stops[8], *d.Field("id")), "123456");
  EXPECT_EQ(FieldBytes(stops[8], *d.Field("arriva")), "0000");
  EXPECT_EQ(FieldBytes(stops[8], *d.Field("parte")), "9999");
  EXPECT_EQ(stops[8].substr(136), "101");
  // The trip head's length: one record.
  EXPECT_EQ(r.overWide, 1);
  EXPECT_NE(ExportResultText(r).find("\nATTENZIONE: 1 righe contengono un valore più lungo del suo campo nel "
                                     "tracciato regionale:\nil valore è stato limitato alla larghezza del campo.\n"),
            std::string::npos);
}

TEST_F(RoundTrip, TripIdsOfMoreThanSixDigitsRefuseTheExport) {
  // Cut to six digits, two trips would share one id: nothing is written.
  RunSql(db,
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
         "ct_tempo, gruppo) VALUES (1234567, 'LUNGA', 'L9', 'A', 0, 0, 5, 1, 1, 12, 1, 1, -1);");
  const ExportResult r = Export();
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.refusal.rfind("ATTENZIONE: alcune corse hanno un ID superiore a 999999 (il più alto è 1234567)", 0), 0u)
      << r.refusal;
  EXPECT_TRUE(FolderEntries(out).empty());
}

TEST_F(RoundTrip, WithoutMasterRowTheProtocolIsEmptyAndTheCompanyZero) {
  RunSql(db, "DELETE FROM master");
  const ExportResult r = Export();
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(ReadBytes(Out("RT_PROTO.TXT")), "");
  EXPECT_EQ(r.counts[kProtocolFile].read, 0);
  EXPECT_EQ(r.counts[kProtocolFile].written, 0);
  EXPECT_EQ(ExportedLines(Out("RT_CADEN.TXT"))[0].substr(0, 4), "0000");
}

}  // namespace
