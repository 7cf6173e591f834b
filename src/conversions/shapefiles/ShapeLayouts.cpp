#include "conversions/shapefiles/ShapeLayouts.h"

bool IsPointType(int type) { return type == kPointShape || type == kPointZShape || type == kPointMShape; }
bool IsPolylineType(int type) { return type == kPolylineShape || type == kPolylineZShape || type == kPolylineMShape; }

DbfFieldList ShapeLayout::Fields() const {
  DbfFieldList fields;
  // A number is entered with length 4 in mode 1, which makes it 5 bytes wide.
  for (const ShapeColumn& c : columns) fields.Add(c.name, c.type, c.type == 'N' ? 4 : c.length, 0, 1);
  fields.ComputeOffsets();
  return fields;
}

const ShapeLayout& StopsLayout() {
  static const ShapeLayout layout{"RT_NODI", kPointShape, {kCompanyColumn, kStopCodeColumn, kStopNameColumn}};
  return layout;
}

const ShapeLayout& RoutesLayout() {
  static const ShapeLayout layout{
      "RT_ITIN", kPolylineShape, {kCompanyColumn, kRouteCodeColumn, kRouteDescriptionColumn}};
  return layout;
}

const ShapeLayout& RailArcsLayout() {
  static const ShapeLayout layout{"ARCHI_FS", kPolylineShape, {kArcStartColumn, kArcEndColumn}};
  return layout;
}

std::string StopSetRefusalText() {
  return std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n") +
         "necessarie per essere conforme al formato RT_NODI.SHP\n\n" +
         "All'interno dello Shape File devono esistere i seguenti attributi:\n" + "* AZIENDA numerico max. 4 cifre\n" +
         "* COD_FERM alfanumerico max. 10 caratteri\n" + "* DENOM alfanumerico max. 40 caratteri\n\n" +
         "Lo Shape File indicato risulta totalmente inutilizzabile\n";
}

std::string NoCompanyStopText() {
  return std::string("All'interno dello shapefile RT_NODI.SHP non è stato possibile\n") +
         "identificare neppure una fermata appartenente all'Azienda !!!\n\n" +
         "Non è quindi possibile procedere oltre.";
}

std::string NoArcText(const char* setName) {
  return std::string("All'interno dello shapefile ") + setName + " non è stato possibile\n" +
         "identificare neppure un Arco !!!\n\n" + "Non è quindi possibile procedere oltre.";
}

std::string CompanyTooLongText(int company) {
  return "ATTENZIONE: il codice dell'azienda " + std::to_string(company) +
         " non può essere scritto nel campo AZIENDA (5 caratteri).\n\nNessun file è stato scritto.";
}
