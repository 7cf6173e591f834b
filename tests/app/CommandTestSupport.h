#pragma once
// Pieces of the tests of the command routines: the message boxes as the transcript writes them,
// the result box of an import, and the hand-made exchange files (support/ExchangeData.h).

#include "app/AppTestSupport.h"
#include "app/commands/ImportCommands.h"
#include "support/ExchangeData.h"
#include "support/UiTestSupport.h"

#include <cstdio>

// A message box as the transcript writes it: its type in hexadecimal, a tab, its text on one line.
inline std::string Box(unsigned type, const std::string& text) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", type);
  return std::string(hex) + "\t" + ui::TranscriptText(text);
}

// The message boxes of a transcript (the lines that begin with a type).
inline std::vector<std::string> Boxes(const std::vector<std::string>& transcript) {
  return LinesStartingWith(transcript, "0x");
}
inline std::vector<std::string> Boxes(const DriverRun& run) { return Boxes(run.transcript); }

// The result box's text of an import: a success when it read lines and inserted every one.
inline std::string ResultText(ImportKind kind, int read, int inserted) {
  const ImportDescriptor& s = DescriptorOf(kind);
  return std::string(s.heading) + "Lette " + std::to_string(read) + " righe dal file testo.\nInserite " +
         std::to_string(inserted) + " righe nel database.\n\n" + (read > 0 && read == inserted ? s.success : s.failure);
}
