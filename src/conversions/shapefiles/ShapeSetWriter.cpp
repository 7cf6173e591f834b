#include "conversions/shapefiles/ShapeSetWriter.h"

#include "common/ByteOrder.h"
#include "common/ExportRecovery.h"
#include "common/Notices.h"
#include "common/WholeFile.h"
#include "conversions/shapefiles/ShapeNames.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::int32_t kFileCode = 9994;
constexpr std::int32_t kVersion = 1000;
constexpr std::int32_t kHeaderWords = 50;

}  // namespace

ShapeSetWriter::ShapeSetWriter(const ShapeLayout& layout) : layout_(layout), fields_(layout.Fields()) {
  for (const DbfField& f : fields_) recordLength_ += f.width;
}

std::string ShapeSetWriter::Header(std::int32_t lengthWords) const {
  std::string h;
  h.reserve(100);
  AppendInt32(h, kFileCode, 'B');
  for (int k = 0; k < 5; ++k) AppendInt32(h, 0, 'B');
  AppendInt32(h, lengthWords, 'B');
  AppendInt32(h, kVersion, 'L');
  AppendInt32(h, layout_.shapeType, 'L');
  for (double v : {box_.minX, box_.minY, box_.maxX, box_.maxY, 0.0, 0.0, 0.0, 0.0}) AppendDouble(h, v, 'L');
  return h;
}

void ShapeSetWriter::AddRecord(std::string_view content, std::initializer_list<std::string_view> values) {
  ++count_;
  const auto words = static_cast<std::int32_t>(content.size() / 2);
  AppendInt32(index_, static_cast<std::int32_t>(kHeaderWords + main_.size() / 2), 'B');
  AppendInt32(index_, words, 'B');
  AppendInt32(main_, count_, 'B');
  AppendInt32(main_, words, 'B');
  main_.append(content);

  const std::size_t start = table_.size();
  table_.append(static_cast<std::size_t>(recordLength_), ' ');
  const std::string_view* value = values.begin();
  for (const DbfField& f : fields_) {
    if (value == values.end()) break;
    const std::size_t n = std::min(value->size(), static_cast<std::size_t>(f.width));
    std::memcpy(&table_[start + 1 + static_cast<std::size_t>(f.offset)], value->data(), n);
    ++value;
  }
}

void ShapeSetWriter::AddPoint(double x, double y, std::initializer_list<std::string_view> values) {
  content_.clear();
  AppendInt32(content_, kPointShape, 'L');
  AppendDouble(content_, x, 'L');
  AppendDouble(content_, y, 'L');
  box_.Widen(x, y);
  AddRecord(content_, values);
}

void ShapeSetWriter::AddPolylineContent(const ShapeBox& box, int count, const double* xy, std::size_t stride) {
  content_.clear();
  content_.reserve(48 + 16 * static_cast<std::size_t>(count));
  AppendInt32(content_, kPolylineShape, 'L');
  for (double v : {box.minX, box.minY, box.maxX, box.maxY}) AppendDouble(content_, v, 'L');
  AppendInt32(content_, 1, 'L');  // one part, from the first point
  AppendInt32(content_, count, 'L');
  AppendInt32(content_, 0, 'L');
  for (int k = 0; k < count; ++k) {
    AppendDouble(content_, xy[k * stride], 'L');
    AppendDouble(content_, xy[k * stride + 1], 'L');
  }
  box_.Widen(box);
}

void ShapeSetWriter::AddPolyline(const std::vector<Vertex>& points, std::initializer_list<std::string_view> values) {
  ShapeBox box;
  for (const Vertex& v : points) box.Widen(v.x, v.y);
  static_assert(sizeof(Vertex) == 2 * sizeof(double));
  AddPolylineContent(box, static_cast<int>(points.size()), points.empty() ? nullptr : &points.front().x, 2);
  AddRecord(content_, values);
}

void ShapeSetWriter::AddPolyline(const PointList& points, std::initializer_list<std::string_view> values) {
  std::vector<Vertex> vertices;
  vertices.reserve(static_cast<std::size_t>(points.Count()));
  for (const PointNode& p : points.points) vertices.push_back({p.x, p.y});
  AddPolyline(vertices, values);
}

std::string ShapeSetWriter::MainBytes() const {
  return Header(static_cast<std::int32_t>(kHeaderWords + main_.size() / 2)) + main_;
}

std::string ShapeSetWriter::IndexBytes() const {
  return Header(static_cast<std::int32_t>(kHeaderWords + index_.size() / 2)) + index_;
}

std::string ShapeSetWriter::TableBytes(const ClockTime& today) const { return TableHead(today) + table_ + '\x1A'; }

std::string ShapeSetWriter::TableHead(const ClockTime& today) const {
  std::string t;
  const int fieldCount = fields_.Count();
  t.reserve(33 + 32 * static_cast<std::size_t>(fieldCount));
  t.push_back(3);
  t.push_back(static_cast<char>(today.year - 1900));
  t.push_back(static_cast<char>(today.month));
  t.push_back(static_cast<char>(today.day));
  AppendInt32(t, count_, 'L');
  AppendInt16(t, static_cast<std::int16_t>(32 + 32 * fieldCount + 1), 'L');
  AppendInt16(t, static_cast<std::int16_t>(recordLength_), 'L');
  t.append(20, '\0');
  for (const DbfField& f : fields_) {
    std::string d(32, '\0');
    std::memcpy(d.data(), f.name.data(), std::min<std::size_t>(f.name.size(), 10));
    d[11] = f.type == 'N' ? 'N' : 'C';
    d[16] = static_cast<char>(f.width);
    t += d;
  }
  t.push_back('\x0D');
  return t;
}

bool ShapeSetWriter::WriteTo(const std::string& base, const ClockTime& today, std::string& failedPath,
                             const FolderWatch& watch, const FileSetStep& step) {
  constexpr int kFiles = 4;
  // The code page goes under a name the readers look for, ".cpg" or ".CPG" (the one there, else
  // ".CPG"); any other of the set's name, such as ".Cpg", goes with the set's journal, so that no
  // stale one is read in its place.
  const std::vector<std::string> codePages = CompanionsOf(base, "CPG");
  const auto there = [&codePages, &base](const char* ext) {
    return std::find(codePages.begin(), codePages.end(), base + ext) != codePages.end();
  };
  const std::string codePage = base + (!there(".CPG") && there(".cpg") ? ".cpg" : ".CPG");
  const std::string paths[kFiles] = {OutputCompanion(base, "SHP"), OutputCompanion(base, "SHX"),
                                     OutputCompanion(base, "DBF"), codePage};
  std::string folder;
  std::vector<std::string> names(kFiles), gone;
  for (int k = 0; k < kFiles; ++k) SplitShapePath(paths[k], folder, names[static_cast<std::size_t>(k)]);
  for (const std::string& path : codePages)
    if (path != codePage) SplitShapePath(path, folder, gone.emplace_back());
  // A folder where an earlier set was cut short is put in order first, as before an export; what
  // was done is told at once. One that cannot be put in order is not written into.
  const FolderRecovery recovery = RecoverExportFolder(folder, watch, step, names);
  for (const Notice& m : recovery.messages) Notify(m.text, m.icon, m.caption);
  if (recovery.outcome == FolderRecovery::kFailed) {
    failedPath = paths[0];
    return false;
  }
  if (recovery.outcome != FolderRecovery::kWhole && recovery.outcome != FolderRecovery::kForeign && watch)
    watch.note(folder, {});
  ExportFileSet files(folder, names);
  files.SetGone(gone);
  if (watch) files.SetFolderWatch(watch);
  if (step) files.SetStepHook(step);
  // Each file is its header and its body, written without gathering them first. The code page
  // goes with them, in place of whatever one the set's name had: another tool's "UTF-8" beside
  // these bytes would have every reader garble the accented letters.
  const std::string heads[kFiles] = {Header(static_cast<std::int32_t>(kHeaderWords + main_.size() / 2)),
                                     Header(static_cast<std::int32_t>(kHeaderWords + index_.size() / 2)),
                                     TableHead(today), kCodePage};
  const std::string empty;
  const std::string* bodies[kFiles] = {&main_, &index_, &table_, &empty};
  bool ok = true;
  for (int k = 0; k < kFiles && ok; ++k) {
    ok = files.Begin(names[static_cast<std::size_t>(k)]);
    if (ok) {
      files.Write(heads[k]);
      files.Write(*bodies[k]);
      if (k == 2) files.Write("\x1A");
    }
    ok = ok && files.Finish();
  }
  ok = ok && files.Commit();
  if (!ok) {
    failedPath = files.FailedPath();
    files.Abort();
  }
  return ok;
}

bool ShapeSetWriter::WriteTo(const std::string& base, const ClockTime& today, Outcome& outcome,
                             const FolderWatch& watch) {
  std::string failedPath;
  NoticeCollector told(outcome);  // what the folder's recovery did comes first among its messages
  if (WriteTo(base, today, failedPath, watch)) {
    outcome.Succeed();
    return true;
  }
  outcome.Fail(CannotCreateText(failedPath), NoticeIcon::Exclamation, failedPath);
  return false;
}
