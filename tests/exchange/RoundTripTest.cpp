// Every value the imports accept, the export writes back: files holding the edge values of every field (the smallest
// and largest numbers of each width, numbers padded with blanks, the times 0000, 2359 and 9999, the first and last
// dates the database keeps, both flag values, texts of every byte a text may hold, with leading and trailing blanks
// and all blank) are imported into a real database, exported, and compared line for line with what was read; a
// number padded with blanks comes back zero-padded, its value unchanged.

#include "exchange/ExportEngine.h"
#include "support/ExchangeData.h"

#include <QDir>
#include <algorithm>

namespace {

using Lines = std::vector<std::string>;

// The bytes a text may hold, one after the other from the blank: all but the control bytes.
class TextBytes {
 public:
  TextBytes() {
    for (int b = 0x20; b <= 0xFF; ++b)
      if (!IsControlByte(static_cast<char>(b))) all_.push_back(static_cast<char>(b));
  }
  // The next `width` of them, over again from the blank once all are given.
  std::string Next(size_t width) {
    std::string out;
    while (out.size() < width) {
      out.push_back(all_[next_ % all_.size()]);
      ++next_;
    }
    return out;
  }
  // Whether every one has been given.
  bool AllGiven() const { return next_ >= all_.size(); }

 private:
  std::string all_;
  size_t next_ = 0;
};

std::string Pad(const std::string& text, size_t width) { return text + std::string(width - text.size(), ' '); }

// The line with the leading zeros of the number at `at` (of `width` digits, the last kept) turned into blanks: the
// right-aligned form the imports read as the same number.
std::string Blanked(std::string line, size_t at, size_t width) {
  for (size_t k = at; k + 1 < at + width && line[k] == '0'; ++k) line[k] = ' ';
  return line;
}

struct File {
  const char* name;
  Lines written;  // as the export writes them
  Lines read;     // as the import is given them
};

// The six files of edge values, in the order they are imported.
std::vector<File> EdgeFiles() {
  TextBytes text;
  const std::string dayType1 = "FER       ", dayType2 =
                                                 " \"'%_\x80\xFF"
                                                 "x  ";
  std::vector<File> files;
  files.push_back({"RT_PROTO.TXT",
                   {"0017"
                    "16010101"
                    "999999"
                    "16010101"
                    "23991231" +
                    text.Next(40)},
                   {}});
  files.push_back({"RT_CADEN.TXT", {"0017" + dayType1 + text.Next(60), "0017" + dayType2 + Pad(" x", 60)}, {}});
  files.push_back({"RT_CALEN.TXT",
                   {"0017"
                    "16010101" +
                        text.Next(20) + dayType1,
                    "0017"
                    "23991231" +
                        std::string(20, ' ') + dayType2,
                    "0017"
                    "20240229" +
                        Pad("  29 febbraio", 20) + dayType1},
                   {}});
  const std::string reserved(10, ' ');
  files.push_back({"RT_HDORA.TXT",
                   {"0017"
                    "000000" +
                        text.Next(20) + reserved +
                        "0000"
                        "0000"
                        "00000000"
                        "0000"
                        "00000000"
                        "0000" +
                        text.Next(10) + "A" + text.Next(20) + "000000" + text.Next(120),
                    "0017"
                    "000001" +
                        std::string(20, ' ') + reserved +
                        "0303"
                        "9999"
                        "99999999"
                        "9999"
                        "99999999"
                        "9999" +
                        Pad("L", 10) + "R" + Pad(" P", 20) + "000000" + std::string(120, ' '),
                    "0017"
                    "999999" +
                        Pad("  C", 20) + reserved +
                        "0001"
                        "0012"
                        "00012500"
                        "0035"
                        "00012000"
                        "0030" +
                        std::string(10, ' ') + "\xE9" + std::string(20, ' ') + "000000" + Pad("  Aulla", 120)},
                   {}});
  const std::string regional = "000000          ";
  files.push_back({"RT_DTORA.TXT",
                   {"0017"
                    "000000"
                    "0000" +
                        text.Next(10) + regional + text.Next(40) + text.Next(40) +
                        "00000000"
                        "9999"
                        "0000"
                        "000",
                    "0017"
                    "000000"
                    "9999" +
                        std::string(10, ' ') + regional + Pad(" Stazione", 40) + std::string(40, ' ') +
                        "99999999"
                        "2359"
                        "9999"
                        "111",
                    "0017"
                    "999999"
                    "0001" +
                        Pad("F1", 10) + regional + text.Next(40) + Pad("  Via", 40) +
                        "00005000"
                        "0000"
                        "2359"
                        "101"},
                   {}});
  files.push_back({"RT_PERIOD.TXT",
                   {"0017"
                    "000000" +
                        dayType1 +
                        "16010101"
                        "23991231"
                        "0",
                    "0017"
                    "999999" +
                        dayType2 +
                        "16010101"
                        "16010101"
                        "1",
                    "0017"
                    "000001" +
                        dayType1 +
                        "20240101"
                        "20240630"
                        "1"},
                   {}});
  EXPECT_TRUE(text.AllGiven());
  for (File& f : files) f.read = f.written;
  // Numbers padded with blanks: the trip heads' length, time, contractual length and time, a stop's distance.
  Lines& heads = files[3].read;
  heads[2] = Blanked(Blanked(Blanked(Blanked(heads[2], 48, 8), 56, 4), 60, 8), 68, 4);
  files[4].read[2] = Blanked(files[4].read[2], 120, 8);
  return files;
}

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(RoundTrip, EveryValueTheImportsAcceptTheExportWrites) {
  ScratchDir dir;
  const std::string in = dir.Path("ingresso"), out = dir.Path("uscita"), db = dir.Path("orari.mdb");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(in)) && QDir().mkpath(cp1252::ToQString(out)));
  const std::vector<File> files = EdgeFiles();
  for (const File& f : files) {
    ASSERT_EQ(f.written.size(), f.read.size());
    for (size_t k = 0; k < f.read.size(); ++k)
      ASSERT_EQ(f.read[k].size(), static_cast<size_t>(DescriptorOf(kImportOrder[&f - files.data()]).layout().length))
          << f.name << " line " << k + 1;
    WriteLines(in + "/" + f.name, f.read);
  }
  MakeTimetableDatabase(db);
  ImportFolder(db, in);

  NoticeLog notices;
  DbDatabase handle(db);
  ExportOptions o;
  o.db = &handle;
  o.folder = out;
  const ExportResult r = RunExport(o);
  ASSERT_TRUE(r.ok) << r.Texts();
  EXPECT_EQ(r.overWide, 0);
  EXPECT_EQ(notices.Texts(), "");
  for (const File& f : files) EXPECT_EQ(Sorted(FileLines(out + "/" + f.name)), Sorted(f.written)) << f.name;
}

}  // namespace
