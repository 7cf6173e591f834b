#pragma once
// Qt's own texts (dialog buttons, the file dialog) in Italian, like the rest of the program.

class QCoreApplication;

namespace ui {

// Loads Qt's Italian translation when the system has it; true when loaded.
bool InstallItalianTranslation(QCoreApplication& app);

}  // namespace ui
