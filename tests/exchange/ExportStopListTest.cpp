// The list of normalised stops is gathered while the stop rows are walked, not by its own grouped
// query; it must still be that query's result line for line: each variant of the export is
// compared with the query run by the plain engine on the same file, over stop rows that test
// the grouping and the order (trailing blanks, absent texts beside empty ones, accented letters
// and characters whose code page order differs from their code point order, localities sharing
// ISTAT code and name, localities that do not exist, negative ones).

#include "ExportCaseSupport.h"

namespace {

using namespace export_case;

// Localities, and stop rows of trips 1 (authority 5) and 2 (authority 1) and of trip 8, which
// has no head; "Città" holds an accented letter, "€" (0x80 in the code page, U+20AC) sorts
// after "É" (0xC9, U+00C9) by code point but before it by byte.
const char* const kStops =
    "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla   ', 45001, 'Aulla', 'MS'), "
    "(9002, 'Città Alta', 7, 'Aulla', 'MS'), (9003, 'Città Alta', 7, 'Aulla', 'MS'), "
    "(9004, 'Éboli', 8, 'Aulla', 'MS'), (9005, '€uro', 9, 'Aulla', 'MS'), (-4, 'Sotto zero', 10, 'Aulla', 'MS');"
    "DELETE FROM detcor;"
    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (1, 1, 'F01', 'Aulla', 'Piazza', 0, 9999, 800, 1, 0, 0, 9001), "
    "(1, 2, 'F01  ', 'Aulla  ', 'Piazza ', 10, 810, 820, 0, 0, 0, 9001), "
    "(1, 3, NULL, 'Aulla', NULL, 20, 830, 840, 0, 0, 0, 9001), "
    "(1, 4, '', 'Aulla', '', 30, 850, 855, 0, 0, 0, 9001), "
    "(1, 5, 'F02', 'Città', 'Via Roma', 40, 900, 910, 0, 0, 0, 9002), "
    "(1, 6, 'F02', 'Città', 'Via Roma', 50, 920, 930, 0, 0, 0, 9003), "
    "(1, 7, 'F03', 'Éboli', NULL, 60, 940, 950, 0, 0, 0, 9004), "
    "(1, 8, 'F04', '€ fermata', NULL, 70, 1000, 9999, 0, 0, 0, 9005), "
    "(2, 1, 'F05', 'Zeta', 'Z', 0, 9999, 900, 1, 0, 0, 9004), "
    "(2, 2, 'F05', 'Zeta', 'Z', 10, 910, 9999, 0, 0, 0, 9005), "
    "(2, 3, 'F06', 'Euro', NULL, 20, 920, 9999, 0, 0, 0, 8999), "
    "(2, 4, 'F07', 'Negativa', NULL, 30, 930, 9999, 0, 0, 0, -4), "
    "(2, 5, 'F08', 'Zero', NULL, 40, 940, 9999, 0, 0, 0, 0), "
    "(8, 1, 'F09', 'Senza testa', NULL, 0, 9999, 900, 1, 0, 0, 9001);";

// The list as the grouped query gives it, each line as the export writes it.
std::string ListByQuery(const std::string& path) {
  const std::string rows =
      QueryFile(path,
                "SELECT coalesce(rtrim(detcor.fermata, ' '), ''), rtrim(detcor.denom, ' '), "
                "coalesce(rtrim(detcor.ubicaz, ' '), ''), printf('%06d', local.istat), rtrim(local.denom, ' ') "
                "FROM detcor, local WHERE detcor.reglocal > 0 AND detcor.reglocal = local.id "
                "GROUP BY detcor.fermata, detcor.denom, detcor.ubicaz, local.istat, local.denom "
                "ORDER BY detcor.denom, detcor.ubicaz, detcor.fermata, local.istat, local.denom");
  std::string lines = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita\r\n";
  size_t start = 0;
  for (size_t end; (end = rows.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = "17\t" + rows.substr(start, end - start) + "\r\n";
    std::replace(line.begin(), line.end(), '|', '\t');
    lines += line;
  }
  return lines;
}

struct StopList : ExportCase, ::testing::WithParamInterface<ExportOptions> {};

TEST_P(StopList, IsTheGroupedQueryLineForLine) {
  Sql(kStops, false);
  const std::string expected = ListByQuery(db);
  // The query's own answer holds what the list is about.
  ASSERT_TRUE(HasPart(expected,
                      "17\t\tAulla\t\t045001\tAulla\r\n17\t\tAulla\t\t045001\tAulla\r\n"
                      "17\tF01\tAulla\tPiazza\t045001\tAulla\r\n"));
  ASSERT_TRUE(HasPart(expected, "Éboli\t\t000008\tÉboli\r\n17\tF04\t€ fermata\t"));
  const ExportResult r = Export(GetParam());
  ASSERT_TRUE(r.complete) << r.refusal << r.failedPath;
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(FileBytes(Out("FERMATE_NORMALIZZATE.TXT")), expected);
  EXPECT_EQ(r.counts[kNormalStopsFile].written, std::count(expected.begin(), expected.end(), '\n') - 1);
}

INSTANTIATE_TEST_SUITE_P(Variants, StopList,
                         ::testing::Values(Plain(), Plain(5), Plain(7), Renumbered(500),
                                           Range({2024, 1, 1}, {2024, 1, 6}), Range({2024, 3, 1}, {2024, 3, 31}, 1)));

}  // namespace
