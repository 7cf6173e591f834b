#pragma once
// The shapefile sets the program writes and reads: their geometry and their attribute columns,
// defined once for every command that writes, reads or checks them.

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

// The columns, each defined once: the layouts below are made of them, and the readers look the
// same columns up in the sets they read (a field of the name and kind, at most that long).
inline constexpr ShapeColumn kCompanyColumn{"AZIENDA", 'N', 5};
inline constexpr ShapeColumn kStopCodeColumn{"COD_FERM", 'X', 10};
// The stop code as some stop sets name it.
inline constexpr ShapeColumn kStopCodeOtherColumn{"COD_FERMA", 'X', 10};
inline constexpr ShapeColumn kStopNameColumn{"DENOM", 'X', 40};
inline constexpr ShapeColumn kRouteCodeColumn{"COD_PERC", 'X', 20};
inline constexpr ShapeColumn kRouteDescriptionColumn{"DESCR", 'X', 120};
inline constexpr ShapeColumn kArcStartColumn{"NODO_INI", 'X', 10};
inline constexpr ShapeColumn kArcEndColumn{"NODO_FIN", 'X', 10};
// Sets the program only reads: the MTram routes' code, the MicroBus Map arcs' ends.
inline constexpr ShapeColumn kMTramRouteColumn{"ID MTRAM", 'X', 20};
inline constexpr ShapeColumn kMapArcStartColumn{"ABBREVIAZI", 'X', 10};
inline constexpr ShapeColumn kMapArcEndColumn{"ABBREVIA0", 'X', 10};

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
