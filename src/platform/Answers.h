#pragma once
// The answers file of a scripted run: one answer per line, taken in order by whatever asks next.
//   ok | cancel                 a question with OK/Cancel
//   file PATH                   a file dialog (PATH as written, to the end of the line)
//   dialog ID                   an options dialog, followed by its control values, one per
//     CONTROL-ID=VALUE          indented line (VALUE to the end of the line, blanks included,
//                               trailing tabs not); its OK handler then runs as if clicked
//   dialog ID cancel            an options dialog closed with Cancel
//   printer FILE.pdf [landscape|portrait]  the print setup: a PDF printer writing FILE.pdf on
//                               A4 paper, turned as the setup proposes (landscape for a report
//                               wider than a portrait page) unless the word says otherwise;
//                               `cancel` cancels the setup
//   preview close | preview print   the print preview: closed, or its print button pressed
// Blank lines and lines starting with '#' are ignored. The file is UTF-8; answers hold
// Windows-1252 texts like every text of the program.

#include "platform/Ui.h"

#include <string>
#include <vector>

namespace ui {

// Parses the text of an answers file. On a malformed line returns false with `error` naming it:
// UTF-8, the line as the file has it (a character Windows-1252 lacks may be why it is refused).
// Each answer keeps the number of the line it begins on.
bool ParseAnswers(const std::string& utf8Text, std::vector<Answer>& out, std::string& error);

// An answer as its first line is written in the file ("ok", "file PATH", "dialog ID", "dialog ID
// cancel"), with the number of control lines a dialog answer has; Windows-1252.
std::string AnswerText(const Answer& answer);

}  // namespace ui
