#include "exchange/communication/BaseReader.h"

#include "common/Cp1252.h"
#include "common/WorkProgress.h"
#include "exchange/communication/VurTxtLayout.h"

#include <QFile>
#include <array>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace vurtxt;

namespace {

// The file's lines without their ends (LF, or CR LF).
class Lines {
 public:
  explicit Lines(const QByteArray& bytes) : text_(bytes.constData(), static_cast<size_t>(bytes.size())) {}
  // The next line; false at the end of the file.
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    const size_t next = end == std::string_view::npos ? text_.size() : end + 1;
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = next;
    ++number_;
    return true;
  }
  int Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  int number_ = 0;
};

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

// "prefix" followed by exactly a number.
bool TaggedNumber(std::string_view line, std::string_view prefix, long& value) {
  return StartsWith(line, prefix) && WholeNumber(line.substr(prefix.size()), value);
}

double Decimal(std::string_view field) { return std::strtod(std::string(field).c_str(), nullptr); }
char FirstChar(std::string_view field) { return field.empty() ? '\0' : field[0]; }
bool Flag(std::string_view field) { return FirstChar(field) != '0'; }
long OrNone(long trip) { return trip == 0 ? -1 : trip; }

class Reader {
 public:
  Reader(Lines& lines, int company, WorkProgress* progress) : lines_(lines), company_(company), progress_(progress) {}

  BaseOutcome Read(CommunicationModel& model, long& number) {
    std::string_view line;
    long value = 0;
    if (!lines_.Next(line) || !TaggedNumber(line, kProtocolOpen, value) || value != kFormatVersion)
      return BaseOutcome::Corrupt;
    if (!lines_.Next(line)) return BaseOutcome::Corrupt;
    const std::vector<std::string_view> p = Split(line);
    if (p.size() != kProtocolFields) return BaseOutcome::Corrupt;
    if (FirstChar(p[0]) != kBaseLetter) return BaseOutcome::NotABase;
    if (LeadingNumber(p[3]) != company_) return BaseOutcome::OtherCompany;
    number = LeadingNumber(p[4]);
    long check = AddLine(0, line);
    for (int s = 0; s < kBaseSectionCount; ++s) {
      const std::string prefix = std::string(SectionOf(s).counter) + "\t";
      if (!lines_.Next(line) || !TaggedNumber(line, prefix, counts_[s]) || counts_[s] < 0) return BaseOutcome::Corrupt;
      check = AddLine(check, line);
      total_ += counts_[s];
    }
    if (!lines_.Next(line) || !TaggedNumber(line, kProtocolClose, value) || value != check) return BaseOutcome::Corrupt;
    if (progress_) progress_->Begin({});
    for (int s = 0; s < kBaseSectionCount; ++s)
      if (!Section(s, model)) return BaseOutcome::Corrupt;
    model.EndBase();
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
    return lines_.Next(line) && TaggedNumber(line, "</" + std::string(def.tag) + ">", value) && value == check;
  }

  static bool Row(int s, const std::vector<std::string_view>& f, CommunicationModel& model) {
    switch (s) {
      case kStops: {
        CommStop stop;
        stop.number = LeadingNumber(f[0]);
        stop.code = f[1];
        stop.name = f[2];
        stop.place = f[3];
        stop.locality = static_cast<int>(LeadingNumber(f[4]));
        stop.x = Decimal(f[5]);
        stop.y = Decimal(f[6]);
        return model.AddBaseStop(std::move(stop));
      }
      case kArcs:
        return model.AddBaseArc(
            CommArc{LeadingNumber(f[0]), LeadingNumber(f[1]), LeadingNumber(f[2]), LeadingNumber(f[3]), true});
      case kItineraryHeads: {
        Itinerary t;
        t.number = LeadingNumber(f[0]);
        t.routeCode = f[1];
        t.routeName = f[2];
        return model.AddBaseItinerary(std::move(t));
      }
      case kItineraryRows:
        return model.AddBaseItineraryRow(LeadingNumber(f[0]), ItineraryRow{LeadingNumber(f[2]), LeadingNumber(f[3]),
                                                                           LeadingNumber(f[4]), LeadingNumber(f[5])});
      case kRuns: {
        ServiceRun r;
        r.number = LeadingNumber(f[0]);
        r.tripCode = f[1];
        r.lineCode = f[2];
        r.direction = FirstChar(f[3]);
        r.authority = static_cast<int>(LeadingNumber(f[4]));
        r.routeCode = f[5];
        r.itinerary = LeadingNumber(f[6]);
        r.firstStop = LeadingNumber(f[7]);
        r.departure = ParseTime(f[8]);
        r.lastStop = LeadingNumber(f[9]);
        r.arrival = ParseTime(f[10]);
        r.length = LeadingNumber(f[11]);
        r.time = static_cast<int>(LeadingNumber(f[12]));
        r.ctLength = LeadingNumber(f[13]);
        r.ctTime = static_cast<int>(LeadingNumber(f[14]));
        r.previous = OrNone(LeadingNumber(f[15]));
        r.next = OrNone(LeadingNumber(f[16]));
        r.mode = FirstChar(f[17]);
        return model.AddBaseRun(std::move(r));
      }
      default: {
        // The stop row as written: its time and dwell are kept, not turned into an arrival and
        // a departure, so that a stop without times (99.99) comes back as it went.
        RunStopTime t;
        t.stop = LeadingNumber(f[2]);
        t.time = ParseTime(f[3]);
        t.dwell = static_cast<int>(LeadingNumber(f[4]));
        t.main = Flag(f[5]);
        t.request = Flag(f[6]);
        t.passing = Flag(f[7]);
        return model.AddBaseStopTime(LeadingNumber(f[0]), t);
      }
    }
  }

  Lines& lines_;
  int company_;
  WorkProgress* progress_;
  std::array<long, kBaseSectionCount> counts_{};
  long total_ = 0, done_ = 0;
};

}  // namespace

BaseReadResult ReadReferenceBase(const std::string& path, int company, WorkProgress* progress) {
  BaseReadResult result;
  QFile file(cp1252::ToQString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    result.outcome = BaseOutcome::CannotOpen;
    return result;
  }
  const QByteArray bytes = file.readAll();
  file.close();
  if (progress) progress->Begin(kBaseReadCaption);
  Lines lines(bytes);
  auto model = std::make_unique<CommunicationModel>();
  Reader reader(lines, company, progress);
  result.outcome = reader.Read(*model, result.number);
  result.line = lines.Number();
  if (result.outcome == BaseOutcome::Read) result.model = std::move(model);
  return result;
}
