#pragma once
// The hand-made set of the communication (tests/data/communication): imported by the six imports
// of the whole import, then given the localities and transport modes that the utilities assign
// (the import has neither), and a chained trip. Also a checker of the communication's layout
// written from the format alone: it recomputes every count, field count and check value.

#include "support/ExchangeData.h"

#include <cmath>
#include <sstream>

inline std::string CommunicationDataDir() { return TestDataDir() + "/communication"; }
inline std::string ExpectedCommunicationFile(const std::string& name) {
  return FileBytes(CommunicationDataDir() + "/" + name);
}

inline void MakeCommunicationDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  ImportFolder(path, CommunicationDataDir());
  RunSql(path,
         "UPDATE tescor SET mezzo = 'X'; UPDATE tescor SET prevcor = 1 WHERE id = 3;"
         "UPDATE detcor SET reglocal = 1 WHERE fermata IN ('F01', 'F03');"
         "UPDATE detcor SET reglocal = 2 WHERE fermata = 'F02';");
}

namespace vurtxt_check {

// The check value of lines, by the format's rule: signed bytes, TAB and LF left out, modulo
// 10^9 after every line.
inline long CheckValue(const std::vector<std::string>& lines) {
  long running = 0;
  for (const std::string& l : lines) {
    long sum = 0;
    for (unsigned char c : l)
      if (c != 9 && c != 10) sum += c > 127 ? static_cast<long>(c) - 256 : c;
    running = static_cast<long>(std::fmod(static_cast<double>(sum + running), 1e9));
  }
  return running;
}

inline size_t FieldCount(const std::string& line) {
  return static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
}

// The faults of a communication (base: a reference base) in the file's bytes; empty when sound.
inline std::string Faults(const std::string& bytes, bool base) {
  std::ostringstream faults;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      faults << "last line without CR LF\n";
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  struct Sec {
    const char *counter, *tag;
    size_t fields;
  };
  std::vector<Sec> sections = {
      {"FERMATE", "fermate", 7},          {"ARCHI", "archi", 4},  {"TESTEITINER", "teste_itiner", 3},
      {"RIGHEITINER", "righe_itiner", 6}, {"CORSE", "corse", 18}, {"ORARI", "orari", 8}};
  if (!base) sections.push_back({"GIORNI", "giorni", 0});
  size_t n = 0;
  const auto next = [&]() -> std::string { return n < lines.size() ? lines[n++] : std::string("<fine>"); };
  if (next() != "<protocollo>1") faults << "first line\n";
  std::vector<std::string> block = {next()};
  if (FieldCount(block[0]) != 9) faults << "protocol fields\n";
  if (block[0].substr(0, 1) != (base ? "R" : "S") && (base || block[0].substr(0, 1) != "N"))
    faults << "protocol letter\n";
  std::vector<long> counts;
  for (const Sec& s : sections) {
    block.push_back(next());
    const std::string prefix = std::string(s.counter) + "\t";
    if (block.back().rfind(prefix, 0) != 0) faults << "counter " << s.counter << "\n";
    counts.push_back(std::atol(block.back().c_str() + std::min(prefix.size(), block.back().size())));
  }
  if (next() != "</protocollo>" + std::to_string(CheckValue(block))) faults << "protocol check value\n";
  for (size_t k = 0; k < sections.size(); ++k) {
    const Sec& s = sections[k];
    if (next() != "<" + std::string(s.tag) + ">" + std::to_string(counts[k])) faults << "opening " << s.tag << "\n";
    std::vector<std::string> rows;
    for (long r = 0; r < counts[k]; ++r) {
      rows.push_back(next());
      const size_t fields = FieldCount(rows.back());
      if (s.fields ? fields != s.fields : fields < 4) faults << s.tag << " row fields: " << rows.back() << "\n";
    }
    if (next() != "</" + std::string(s.tag) + ">" + std::to_string(CheckValue(rows)))
      faults << "closing " << s.tag << "\n";
  }
  if (n != lines.size()) faults << "lines after the last section\n";
  return faults.str();
}

// A file's lines (CR LF ends) and back.
inline std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}
inline std::string Bytes(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  return bytes;
}

// Puts the right counts and check values into a file given as its protocol line and sections'
// rows (base: no days).
inline std::string Assemble(const std::string& protocol, const std::vector<std::vector<std::string>>& rows, bool base) {
  const char* counters[] = {"FERMATE", "ARCHI", "TESTEITINER", "RIGHEITINER", "CORSE", "ORARI", "GIORNI"};
  const char* tags[] = {"fermate", "archi", "teste_itiner", "righe_itiner", "corse", "orari", "giorni"};
  const size_t sections = base ? 6 : 7;
  std::vector<std::string> block = {protocol};
  for (size_t k = 0; k < sections; ++k)
    block.push_back(std::string(counters[k]) + "\t" + std::to_string(rows[k].size()));
  std::vector<std::string> out = {"<protocollo>1"};
  out.insert(out.end(), block.begin(), block.end());
  out.push_back("</protocollo>" + std::to_string(CheckValue(block)));
  for (size_t k = 0; k < sections; ++k) {
    out.push_back("<" + std::string(tags[k]) + ">" + std::to_string(rows[k].size()));
    out.insert(out.end(), rows[k].begin(), rows[k].end());
    out.push_back("</" + std::string(tags[k]) + ">" + std::to_string(CheckValue(rows[k])));
  }
  return Bytes(out);
}

}  // namespace vurtxt_check
