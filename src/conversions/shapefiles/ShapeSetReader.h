#pragma once
// Reads a shapefile set: the .SHP, the .SHX and the .DBF of one base, each loaded whole. Every
// offset, count and length the files state is checked against the bytes that are there: a set
// whose headers, index entries or records point outside their file is damaged, and the reader
// says which file and what is wrong instead of reading past the end.
//
// The three files must agree before anything is read: the .SHX gives the record count N, and the
// .DBF must declare N records of the length its fields make (no field of width 0); every index
// entry must name a record of its own (none overlapping another) whose header carries its number
// and its length, the .SHP must hold no whole record after the last one the index names, and the
// .SHX must carry the .SHP's shape type.
//
// Record i has its geometry where its index entry says and its attributes in the i-th record of
// the .DBF (a record marked deleted is read like any other). A record of an unknown type, a point
// or polyline whose content does not hold what its counts say or whose parts are out of order,
// and a point that is not a place (not finite, or beyond kCoordinateLimit) make the set damaged,
// naming the record.

#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/shapefiles/DbfFields.h"
#include "conversions/shapefiles/PointLists.h"
#include "conversions/shapefiles/ShapeLayouts.h"

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// A coordinate beyond this, in any unit and projection, is no place on the earth.
constexpr double kCoordinateLimit = 1e9;
// Finite and within the limit.
bool UsableCoordinate(double v);

// What a reading needs of a set before it reads a record: its shape type (0: any) and fields (as
// FindField finds a column's), and the refusal told when the set lacks one of them.
struct ShapeSetNeeds {
  int shapeType = 0;
  std::vector<ShapeColumn> columns;
  std::string refusal;
};

// The geometry of one record.
struct ShapeRecord {
  int type = -1;       // the record's own shape type (-1: content too short to hold one)
  bool point = false;  // a point record: x and y hold it
  double x = 0.0;
  double y = 0.0;
  int parts = 0;               // a polyline record: its parts (0: an empty polyline)
  int pointCount = 0;          // ... and the points of all of them
  std::vector<Vertex> points;  // the points of its first part
};

class ShapeSetReader {
 public:
  // Loads the set named by `path` (ShapeBase) and reads its headers and its field list. False on
  // a missing companion or a damaged header: Fault() is then the message.
  bool Open(const std::string& path);
  // The same, with the message put in `failure` when it fails.
  bool Open(const std::string& path, std::string& failure);
  // The same for a reading that hands up `outcome`, checking the set against `needs`: false, with
  // `outcome` failed (stop icon) by the reader's message or by the refusal, when the set cannot be
  // opened or lacks what is needed. The fields found are Needed(0), Needed(1)... in the columns'
  // order.
  bool Open(const std::string& path, Outcome& outcome, const ShapeSetNeeds& needs = {});
  const DbfField& Needed(std::size_t k) const { return *needed_[k]; }

  // Makes `outcome` fail with Fault() (stop icon); returns false.
  bool FailInto(Outcome& outcome) const;

  // The message of the last failure: the file, what is wrong with it.
  const std::string& Fault() const { return fault_; }
  // Whether Open failed at a file of the set that is a named pipe, a device or a socket.
  bool NotARegularFile() const { return notRegular_; }

  int ShapeType() const { return shapeType_; }
  int Count() const { return count_; }
  const DbfFieldList& Fields() const { return fields_; }
  // The file names found for the base.
  const std::string& MainPath() const { return shpPath_; }

  // A field of that name (upper case), type and a length of at most `maxLength`; null when none.
  const DbfField* FindField(std::string_view name, char type, int maxLength) const;
  // The field of a layout's column: its name, a number for 'N' and a text otherwise, at most as
  // long as the column.
  const DbfField* FindField(const ShapeColumn& column) const;
  // The first of `columns` that the set has, in the list's order.
  const DbfField* FirstField(std::initializer_list<ShapeColumn> columns) const;
  // The last field in the file's order that fits any of `columns`: where a set repeats a column,
  // the one whose value stands.
  const DbfField* LastField(std::initializer_list<ShapeColumn> columns) const;

  // Multi-part polylines: with the rule on, a record of several parts is warned of (the first
  // five one box each, the rest counted in one box by FinishWarnings) and keeps its first part.
  void SetMultiPartRule(bool on) { multiPartRule_ = on; }
  // Records of another type than `type` (null records apart) make the set damaged; 0: any type.
  void RequireRecordType(int type) { recordType_ = type; }
  void FinishWarnings();

  // The geometry of record i (0 <= i < Count()). False when the record is damaged or of a type
  // not required (Fault()).
  bool Shape(int i, ShapeRecord& out);
  // The geometry pass: every record's geometry in order, handed to `take(i, shape)` (which may
  // take its points away), the bar (when given) begun and stepped with them. The multi-part
  // warnings are finished at the end, or at the first record that cannot be read, which makes it
  // false (Fault()).
  template <class Take>
  bool ReadShapes(WorkProgress* progress, Take take) {
    if (progress) progress->Begin({});
    ShapeRecord shape;
    for (int i = 0; i < count_; ++i) {
      if (progress) progress->Step(i, count_);
      if (!Shape(i, shape)) {
        FinishWarnings();
        return false;
      }
      take(i, shape);
    }
    FinishWarnings();
    return true;
  }
  // The attributes pass: every record's .DBF bytes in order, handed to `take(i, record)`; false at
  // the first record the table is too short to hold (Fault()).
  template <class Take>
  bool ReadRecords(Take take) {
    std::string_view record;
    for (int i = 0; i < count_; ++i) {
      if (!Record(i, record)) return false;
      take(i, record);
    }
    return true;
  }
  // The content bytes of record i (after its 8-byte header), inside the .SHP. False only for an
  // index outside 0 .. Count() - 1.
  bool Content(int i, std::string_view& bytes);

  // The bytes of record i of the .DBF (its deletion byte first). False when the table is too
  // short to hold it (Fault()).
  bool Record(int i, std::string_view& bytes);
  // A field's bytes in a record as they stand in the file, unconverted: up to its first zero byte,
  // trailing white space removed (blanks, tabs, line ends).
  static std::string_view Bytes(std::string_view record, const DbfField& field);
  // A field's text in a record, checked by the text rule of the database's texts: false, with
  // `reason` naming record i and the field, when the value holds a control byte (IsControlByte:
  // text after a zero byte among them, a byte Windows-1252 leaves undefined) or, from a .CPG
  // naming UTF-8, a character Windows-1252 lacks or bytes that are not UTF-8. Otherwise `out` is
  // the bytes of Bytes in the program's Windows-1252 (converted when the .CPG names UTF-8).
  bool CheckedText(int i, std::string_view record, const DbfField& field, std::string& out, std::string& reason) const;
  // The one way a reader takes a field's text as a code or a name: the text of CheckedText, or,
  // for a value it refuses, an empty text and the reason kept for FailRefusedValues.
  std::string CodeOrName(int i, std::string_view record, const DbfField& field);
  // Whether a value read by CodeOrName was refused.
  bool RefusedValues() const { return !refused_.empty(); }
  // Makes Fault() the refusal of the values CodeOrName refused (FailValues). Returns false.
  bool FailRefusedValues(const std::string& output = {}) { return FailValues(refused_, output); }
  // Makes Fault() the refusal of values that `output` (such as "RT_NODI.SHP"; none: whatever the
  // reading is for) cannot take: the .DBF and the first five reasons. Returns false.
  bool FailValues(const std::vector<std::string>& reasons, const std::string& output);
  // A field's whole number, read after leading blanks (0 when there is none).
  long Number(std::string_view record, const DbfField& field) const;

 private:
  // A field's text, unchecked: for numbers; a code or a name goes through CodeOrName.
  std::string Text(std::string_view record, const DbfField& field) const;
  bool Fail(const std::string& path, const std::string& reason);
  bool FailNotRegular(const std::string& path);
  bool Load(const std::string& base, const char* ext, std::string& path, QByteArray& bytes);
  bool ReadMainHeaders();
  bool ReadTable();
  bool CheckAgreement();

  struct Entry {
    std::int64_t start = 0;  // the record's header in the .SHP
    std::int64_t end = 0;    // past its content
  };

  std::string fault_;
  bool notRegular_ = false;
  std::string shpPath_, shxPath_, dbfPath_;
  QByteArray shp_, shx_, dbf_;
  int shapeType_ = 0;
  int count_ = 0;
  DbfFieldList fields_;
  std::vector<const DbfField*> needed_;
  std::size_t headerLength_ = 0;
  std::size_t recordLength_ = 0;
  bool utf8_ = false;
  std::vector<Entry> entries_;
  int recordType_ = 0;
  bool multiPartRule_ = false;
  int multiPartRecords_ = 0;
  std::vector<std::string> refused_;  // the reasons of the values CodeOrName refused
};
