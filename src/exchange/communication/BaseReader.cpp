#include "exchange/communication/BaseReader.h"

#include "common/InputFile.h"
#include "common/WorkProgress.h"
#include "exchange/communication/VurTxtLayout.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace vurtxt;

bool ChunkedLines::Next(std::string_view& line) {
  size_t end = buffer_.find('\n', pos_);
  while (end == std::string::npos && !ended_) {
    buffer_.erase(0, pos_);
    pos_ = 0;
    const size_t had = buffer_.size();
    buffer_.resize(had + kChunk);
    const qint64 got = file_.read(buffer_.data() + had, static_cast<qint64>(kChunk));
    buffer_.resize(had + static_cast<size_t>(std::max<qint64>(got, 0)));
    if (got <= 0) ended_ = true;
    end = buffer_.find('\n', had);
  }
  if (pos_ >= buffer_.size()) return false;
  const size_t next = end == std::string::npos ? buffer_.size() : end + 1;
  if (end == std::string::npos) end = buffer_.size();
  line = std::string_view(buffer_).substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = next;
  ++number_;
  return true;
}

namespace {

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// "prefix" followed by exactly a number, as the writer writes it.
bool TaggedNumber(std::string_view line, std::string_view prefix, long& value) {
  return StartsWith(line, prefix) && ReadNumber(line.substr(prefix.size()), value);
}

// A byte no base holds: below 0x20 or DEL. The five bytes the code page leaves undefined, which
// RecordLayouts' rule refuses in new data, went into the bases written before that rule: a base
// kept from then is read, and its rows go into the next base as they are.
bool BaseControlByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

// The readers of a row's fields: each refuses what the writer does not write (a control byte in
// a text, a letter field of more than one character, a flag other than 0 or 1), so that nothing
// read is changed on the way to the next base.
bool Text(std::string_view field, std::string& out) {
  if (std::any_of(field.begin(), field.end(), BaseControlByte)) return false;
  out = field;
  return true;
}
bool Letter(std::string_view field, char& out) {
  if (field.size() > 1 || (field.size() == 1 && BaseControlByte(field[0]))) return false;
  out = field.empty() ? '\0' : field[0];
  return true;
}
bool Flag(std::string_view field, bool& out) {
  if (field != "0" && field != "1") return false;
  out = field == "1";
  return true;
}
bool Int(std::string_view field, int& out) {
  long value = 0;
  if (!ReadNumber(field, value)) return false;
  out = static_cast<int>(value);
  return true;
}
// The number of an object of the file: counted from 1.
bool Number(std::string_view field, long& out) { return ReadNumber(field, out) && out > 0; }
// A company trip id before or after a run: empty when none; the writer writes none for 0 or less.
bool TripOrNone(std::string_view field, long& out) {
  if (field.empty()) {
    out = -1;
    return true;
  }
  return Number(field, out);
}

class Reader {
 public:
  Reader(ChunkedLines& lines, int company, WorkProgress* progress)
      : lines_(lines), company_(company), progress_(progress) {}

  BaseOutcome Read(CommunicationModel& model, long& number) {
    std::string_view line;
    long value = 0;
    if (!lines_.Next(line) || !TaggedNumber(line, kProtocolOpen, value) || value != kFormatVersion)
      return BaseOutcome::Corrupt;
    if (!lines_.Next(line)) return BaseOutcome::Corrupt;
    const std::vector<std::string_view> p = Split(line);
    if (p.size() != kProtocolFields) return BaseOutcome::Corrupt;
    if (p[0].empty() || p[0][0] != kBaseLetter) return BaseOutcome::NotABase;
    long company = 0;
    if (!ReadNumber(p[3], company)) return BaseOutcome::Corrupt;
    if (company != company_) return BaseOutcome::OtherCompany;
    if (!Number(p[4], number)) return BaseOutcome::Corrupt;
    long check = AddLine(0, line);
    for (int s = 0; s < kBaseSectionCount; ++s) {
      const std::string prefix = std::string(SectionOf(s).counter) + "\t";
      if (!lines_.Next(line) || !TaggedNumber(line, prefix, counts_[s]) || counts_[s] < 0) return BaseOutcome::Corrupt;
      check = AddLine(check, line);
      total_ += counts_[s];
    }
    if (!lines_.Next(line) || !TaggedNumber(line, kProtocolClose, value) || value != check) return BaseOutcome::Corrupt;
    if (progress_) progress_->Begin({});
    model.ReserveBase(static_cast<size_t>(std::min(counts_[kItineraryHeads], kMostReserved)),
                      static_cast<size_t>(std::min(counts_[kRuns], kMostReserved)));
    for (int s = 0; s < kBaseSectionCount; ++s)
      if (!Section(s, model)) return BaseOutcome::Corrupt;
    // Every run over the stops of its itinerary, each of its stop rows told.
    if (!model.EndBase()) return BaseOutcome::Corrupt;
    return BaseOutcome::Read;
  }

 private:
  bool Section(int s, CommunicationModel& model) {
    const SectionDef& def = SectionOf(s);
    std::string_view line;
    long value = 0;
    if (!lines_.Next(line) || !TaggedNumber(line, "<" + std::string(def.tag) + ">", value) || value != counts_[s])
      return false;
    long check = 0;
    for (long i = 0; i < counts_[s]; ++i) {
      if (!lines_.Next(line)) return false;
      const std::vector<std::string_view> f = Split(line);
      if (static_cast<int>(f.size()) != def.fields || !Row(s, f, model)) return false;
      check = AddLine(check, line);
      if (progress_ && ((++done_ & 0x3FF) == 0 || done_ == total_)) progress_->Step(done_, total_);
    }
    if (!lines_.Next(line) || !TaggedNumber(line, "</" + std::string(def.tag) + ">", value) || value != check)
      return false;
    model.NoteBaseSection(s, counts_[s], check);
    return true;
  }

  // One row into the model; false when a field is not as the writer writes it, or when the row
  // names an object the base does not hold or repeats a number.
  static bool Row(int s, const std::vector<std::string_view>& f, CommunicationModel& model) {
    switch (s) {
      case kStops: {
        CommStop stop;
        return Number(f[0], stop.number) && Text(f[1], stop.code) && Text(f[2], stop.name) && Text(f[3], stop.place) &&
               Int(f[4], stop.locality) && ReadCoordinate(f[5], stop.x) && ReadCoordinate(f[6], stop.y) &&
               model.AddBaseStop(std::move(stop));
      }
      case kArcs: {
        CommArc arc;
        return Number(f[0], arc.number) && Number(f[1], arc.from) && Number(f[2], arc.to) &&
               ReadNumber(f[3], arc.length) && model.AddBaseArc(arc);
      }
      case kItineraryHeads: {
        long number = 0;
        std::string code, name;
        return Number(f[0], number) && Text(f[1], code) && Text(f[2], name) &&
               model.AddBaseItinerary(number, code, name);
      }
      case kItineraryRows: {
        long itinerary = 0, position = 0;
        ItineraryRow row;
        return Number(f[0], itinerary) && ReadNumber(f[1], position) && Number(f[2], row.arc) &&
               ReadNumber(f[3], row.distance) && Number(f[4], row.from) && Number(f[5], row.to) &&
               model.AddBaseItineraryRow(itinerary, position, row);
      }
      case kRuns: {
        ServiceRun r;
        return Number(f[0], r.number) && Text(f[1], r.tripCode) && Text(f[2], r.lineCode) &&
               Letter(f[3], r.direction) && Int(f[4], r.authority) && Text(f[5], r.routeCode) &&
               Number(f[6], r.itinerary) && Number(f[7], r.firstStop) && ReadTime(f[8], r.departure) &&
               Number(f[9], r.lastStop) && ReadTime(f[10], r.arrival) && ReadNumber(f[11], r.length) &&
               Int(f[12], r.time) && ReadNumber(f[13], r.ctLength) && Int(f[14], r.ctTime) &&
               TripOrNone(f[15], r.previous) && TripOrNone(f[16], r.next) && Letter(f[17], r.mode) &&
               model.AddBaseRun(r);
      }
      default: {
        // The stop row as written: its time and dwell are kept, not turned into an arrival and
        // a departure, so that a stop without times (99.99) comes back as it went.
        long run = 0, position = 0;
        RunStopTime t;
        return Number(f[0], run) && ReadNumber(f[1], position) && Number(f[2], t.stop) && ReadTime(f[3], t.time) &&
               Int(f[4], t.dwell) && Flag(f[5], t.main) && Flag(f[6], t.request) && Flag(f[7], t.passing) &&
               model.AddBaseStopTime(run, position, t);
      }
    }
  }

  // A count is what the file says: room is made for no more than this many objects beforehand.
  static constexpr long kMostReserved = 1000000;
  ChunkedLines& lines_;
  int company_;
  WorkProgress* progress_;
  std::array<long, kBaseSectionCount> counts_{};
  long total_ = 0, done_ = 0;
};

}  // namespace

bool ReadBaseRows(const std::string& path, int section, long count, long check,
                  const std::function<void(std::string_view)>& row) {
  QFile file;
  if (OpenInputFile(file, path) != InputOpening::Opened) return false;
  ChunkedLines lines(file);
  const std::string tag = SectionOf(section).tag;
  const std::string open = "<" + tag + ">" + std::to_string(count);
  std::string_view line;
  while (lines.Next(line))
    if (line == open) {
      long sum = 0;
      for (long k = 0; k < count; ++k) {
        if (!lines.Next(line)) return false;
        sum = AddLine(sum, line);
        row(line);
      }
      long value = 0;
      return sum == check && lines.Next(line) && TaggedNumber(line, "</" + tag + ">", value) && value == check;
    }
  return false;
}

BaseReadResult ReadReferenceBase(const std::string& path, int company, WorkProgress* progress) {
  BaseReadResult result;
  QFile file;
  if (OpenInputFile(file, path) != InputOpening::Opened) {
    result.outcome = BaseOutcome::CannotOpen;
    result.failedPath = path;
    result.Tell(CannotOpenText(path), NoticeIcon::Exclamation, "Acquisizione base dati orari");
    return result;
  }
  if (progress) progress->Begin(kBaseReadCaption);
  ChunkedLines lines(file);
  auto model = std::make_unique<CommunicationModel>();
  Reader reader(lines, company, progress);
  result.outcome = reader.Read(*model, result.number);
  result.line = lines.Number();
  switch (result.outcome) {
    case BaseOutcome::Read:
      model->SetBasePath(path);
      result.model = std::move(model);
      result.Succeed();
      break;
    case BaseOutcome::NotABase: result.Tell(kNotABaseText, NoticeIcon::Stop); break;
    case BaseOutcome::OtherCompany: result.Tell(kOtherCompanyText, NoticeIcon::Stop); break;
    case BaseOutcome::CannotOpen:
    case BaseOutcome::Corrupt: break;
  }
  if (!result.ok) result.Fail(kCorruptBaseText, NoticeIcon::Stop, path);
  return result;
}
