#pragma once
// Qt's own texts (dialog buttons, the file dialog, the print setup) in Italian, like the rest of the
// program: Qt's Italian catalogue, and the program's own Italian for the texts that catalogue lacks.

class QCoreApplication;

namespace ui {

// Loads Qt's Italian translation when the system has it, and the program's texts for what it lacks;
// true when Qt's was loaded.
bool InstallItalianTranslation(QCoreApplication& app);

}  // namespace ui
