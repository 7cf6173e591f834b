#pragma once
// Writes a shapefile set of one of the program's layouts: the records are gathered in memory as
// they are added, then the .SHP, the .SHX, the .DBF and the .CPG are put in place together or not
// at all (each written whole beside its final name, flushed, then moved in under the folder's
// journal). The attribute texts are the program's Windows-1252 bytes, and the .CPG says so
// (kCodePage), replacing one another tool left under the set's name: the set keeps one code page,
// named ".cpg" or ".CPG" as readers look for it, and any other case of it goes in the same journal;
// the .DBF's date is the program's clock.

#include "common/Clock.h"
#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "conversions/shapefiles/PointLists.h"
#include "conversions/shapefiles/ShapeLayouts.h"

#include <cfloat>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

struct ShapeBox {
  double minX = DBL_MAX;
  double minY = DBL_MAX;
  double maxX = -DBL_MAX;
  double maxY = -DBL_MAX;

  void Widen(double x, double y) {
    if (x < minX) minX = x;
    if (y < minY) minY = y;
    if (x > maxX) maxX = x;
    if (y > maxY) maxY = y;
  }
  void Widen(const ShapeBox& b) {
    if (b.minX < minX) minX = b.minX;
    if (b.minY < minY) minY = b.minY;
    if (b.maxX > maxX) maxX = b.maxX;
    if (b.maxY > maxY) maxY = b.maxY;
  }
};

class ShapeSetWriter {
 public:
  // The whole of the .CPG: the Windows code page of the attribute texts.
  static constexpr const char* kCodePage = "1252";

  explicit ShapeSetWriter(const ShapeLayout& layout);

  // One record: its geometry and its attribute values in the layout's column order (a number as
  // its "%d" text). A value is cut at its column's width; missing values are blank.
  void AddPoint(double x, double y, std::initializer_list<std::string_view> values);
  void AddPolyline(const std::vector<Vertex>& points, std::initializer_list<std::string_view> values);
  void AddPolyline(const PointList& points, std::initializer_list<std::string_view> values);

  int Count() const { return count_; }

  // Puts the four files of `base` in place ("base.SHP", or a companion already there in another
  // case; the code page as "base.cpg" when that is there without "base.CPG", else "base.CPG"). False, with the path of
  // the file that failed, when one cannot be created or written: the files that were there before are left as they
  // were. A folder where an earlier set was cut short, or that holds a journal the program did not write, is put in
  // order first (RecoverExportFolder), and what was done is told as a notice; one that cannot be put in order fails
  // with the path of the .SHP.
  bool WriteTo(const std::string& base, const ClockTime& today, std::string& failedPath, const FolderWatch& watch = {},
               const FileSetStep& step = {});

  // The same for an operation that hands up `outcome`: what the folder's recovery did first, then
  // done, or failed with "Impossibile creare" and the path of the file that failed (exclamation
  // icon).
  bool WriteTo(const std::string& base, const ClockTime& today, Outcome& outcome, const FolderWatch& watch = {});

  // The three files' bytes as WriteTo puts them on the disk.
  std::string MainBytes() const;
  std::string IndexBytes() const;
  std::string TableBytes(const ClockTime& today) const;

 private:
  void AddRecord(std::string_view content, std::initializer_list<std::string_view> values);
  void AddPolylineContent(const ShapeBox& box, int count, const double* xy, std::size_t stride);
  std::string Header(std::int32_t lengthWords) const;
  std::string TableHead(const ClockTime& today) const;  // the header, the descriptors, the end mark

  const ShapeLayout& layout_;
  DbfFieldList fields_;
  std::int32_t recordLength_ = 1;  // the deletion byte and the fields
  std::string main_;               // records after the 100-byte header
  std::string index_;              // entries after the header
  std::string table_;              // records after the descriptors
  std::string content_;            // one record's content, reused
  ShapeBox box_;
  int count_ = 0;
};
