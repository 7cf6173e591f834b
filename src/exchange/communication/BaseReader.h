#pragma once
// The reader of the reference base: the file the previous communication left for the next one,
// checked line by line (protocol block, counts, field counts, check values) and loaded into a new
// model whose objects keep their numbers. It shows nothing: its outcome holds the messages, with
// the texts below.

#include "common/Outcome.h"
#include "exchange/communication/CommunicationModel.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class WorkProgress;

class QFile;

// The file's lines without their ends (LF, or CR LF), read as they are wanted: a file as large as
// the timetable is never held whole. A line stays valid until the next one is read.
class ChunkedLines {
 public:
  explicit ChunkedLines(QFile& file) : file_(file) {}
  // The next line; false at the end of the file.
  bool Next(std::string_view& line);
  int Number() const { return number_; }

 private:
  static constexpr size_t kChunk = 1 << 20;
  QFile& file_;
  std::string buffer_;
  size_t pos_ = 0;
  bool ended_ = false;
  int number_ = 0;
};

enum class BaseOutcome {
  Read,
  CannotOpen,    // "Impossibile aprire"
  NotABase,      // a communication or another file of the format
  OtherCompany,  // the base of another company
  Corrupt,       // any other fault
};

// Done (`ok`) when read; otherwise the messages say why, ending with kCorruptBaseText for a file
// that was opened.
struct BaseReadResult : Outcome {
  BaseOutcome outcome = BaseOutcome::Corrupt;
  std::unique_ptr<CommunicationModel> model;  // when read
  long number = 0;                            // the base's communication number
  int line = 0;                               // the line where a fault was found (1 first)
};

// Reads the base at `path` (Windows-1252) for the working `company`.
BaseReadResult ReadReferenceBase(const std::string& path, int company, WorkProgress* progress);

// The rows of one section (vurtxt::Section) of the base at `path`, as read, each given to `row`
// (valid until the next); the writer copies the objects of the base this way. False when the file
// cannot be read or its section no longer has `count` rows of check value `check`.
bool ReadBaseRows(const std::string& path, int section, long count, long check,
                  const std::function<void(std::string_view)>& row);

// The texts of the outcomes, and of the command that wanted the base.
constexpr const char* kNotABaseText = "Il file proposto non è una Base Dati Orari di riferimento !!!";
constexpr const char* kOtherCompanyText =
    "La Base Dati Orari di riferimento proposta non appartiene\n"
    "all'Azienda corrente.\n\n";
constexpr const char* kCorruptBaseText =
    "La Banca Dati Orari di riferimento è corrotta oppure presenta un formato\n"
    "illegale.\n\n"
    "Questa operazione verrà terminata.";
constexpr const char* kNoBaseText =
    "ATTENZIONE: era stata richiesta la generazione di una Comunicazione VUR-TXT v2\n"
    "di tipo INCREMENTALE.\n\n"
    "Non è stato possibile acquisire la Banca Dati Orari di riferimento, per cui\n"
    "la Comunicazione Incrementale non può essere generata.";
constexpr const char* kBaseReadCaption = "Recupero Base Dati di Riferimento";
