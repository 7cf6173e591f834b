#pragma once
// The shapefile sets the program writes: their geometry and their attribute columns, defined once
// for every command that writes or checks them.

#include <cstddef>
#include <string>

#include "conversions/shapefiles/DbfFields.h"

#include <vector>

// Shape types of the main file's header and of each record's content.
enum ShapeType : int {
  kNullShape = 0,
  kPointShape = 1,
  kPolylineShape = 3,
  kPointZShape = 11,
  kPolylineZShape = 13,
  kPointMShape = 21,
  kPolylineMShape = 23,
};
// A record's own type: point (with Z or M too) or polyline (likewise).
bool IsPointType(int type);
bool IsPolylineType(int type);

struct ShapeColumn {
  const char* name;
  char type;  // 'N' a whole number (width 5), 'X' a text of `length` bytes (written as 'C')
  int length;
};

struct ShapeLayout {
  const char* name;  // the default file name
  int shapeType;
  std::vector<ShapeColumn> columns;

  // The columns as the writer lays them out: widths and offsets computed.
  DbfFieldList Fields() const;
};

// RT_NODI, the stops: points; AZIENDA N 5, COD_FERM C 10, DENOM C 40.
const ShapeLayout& StopsLayout();
// RT_ITIN, the routes: polylines; AZIENDA N 5, COD_PERC C 20, DESCR C 120.
const ShapeLayout& RoutesLayout();
// ARCHI_FS, the railway arcs: polylines; NODO_INI C 10, NODO_FIN C 10.
const ShapeLayout& RailArcsLayout();

// The width of AZIENDA in RT_NODI and RT_ITIN: the company's "%d" text must fit it whole.
constexpr std::size_t kCompanyWidth = 5;
// A working company whose number does not fit AZIENDA: nothing is written.
std::string CompanyTooLongText(int company);

// The messages of the commands that read these sets back. Why a stop set (RT_NODI) is refused:
// AZIENDA, COD_FERM (or COD_FERMA) or DENOM missing or not as required.
std::string StopSetRefusalText();
// A stop set without any stop of the working company with a code.
std::string NoCompanyStopText();
// An arc set (`setName`: "ARCHI FERROVIARI", "ARCHI Microbus Map") without any arc.
std::string NoArcText(const char* setName);
