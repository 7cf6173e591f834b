#pragma once
// Setting a window's caption. Under a ui::Script every change is written to the transcript as
// "TITLE<TAB>caption", so that a scripted run shows what the user would have read.

#include <string>

class QWidget;

namespace ui {

// Sets the caption (Windows-1252); records it when it differs from the current one.
void SetWindowTitle(QWidget* window, const std::string& caption);

}  // namespace ui
