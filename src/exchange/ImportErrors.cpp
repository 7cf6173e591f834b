#include "exchange/ImportErrors.h"

#include "common/Cp1252.h"
#include "platform/FileDialog.h"
#include "platform/Ui.h"

#include <QFile>
#include <cstdio>

namespace {

constexpr const char* kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

std::string Printf(const char* format, auto... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

}  // namespace

std::string ImportErrorReportText(const ImportErrorList& list, const std::string& databasePath, const ClockTime& now) {
  const std::string frame(72, '=');
  std::string out;
  out += frame + "\r\n";
  out += Printf("%02d/%02d/%04d %02d.%02d Report Errori VurTxt V1 (Quendo)", now.day, now.month, now.year, now.hour,
                now.minute) +
         "\r\n";
  out += "Database: " + databasePath + "\r\n";
  out += "File: " + list.fileName + "\r\n";
  out += frame + "\r\n\r\n";
  for (const ImportError& e : list) {
    if (e.offset == -1)
      out += Printf("Riga %ld: ", static_cast<long>(e.line)) + e.text + "\r\n";
    else
      out += Printf("Riga %ld offset %d: ", static_cast<long>(e.line), e.offset) + e.text + "\r\n";
  }
  return out;
}

bool WriteImportErrorReport(const ImportErrorList& list, const std::string& databasePath) {
  const ClockTime now = Now();
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Report Errori Riscontrati", "ERRORI_VURTXT", kTextFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return false;
  QFile file(cp1252::ToQString(dialog.Path()));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    ui::MessageBox("Impossibile creare\n\n" + dialog.Path(), ui::MB_ICONSTOP);
    return false;
  }
  const std::string text = ImportErrorReportText(list, databasePath, now);
  const bool ok = file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
  file.close();
  if (!ok || file.error() != QFileDevice::NoError) {
    ui::MessageBox("Impossibile creare\n\n" + dialog.Path(), ui::MB_ICONSTOP);
    return false;
  }
  return true;
}
