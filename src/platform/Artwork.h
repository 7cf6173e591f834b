#pragma once
// The program's pictures, drawn in code: the icon (resource 101), the background picture of the
// main window (resource 102, two colours, 378 by 400) and the digits of the busy clock (36 by 48,
// separator 12 by 48).

#include <QIcon>
#include <QImage>

QIcon AppIcon();
QImage BackgroundPicture();
QImage ClockDigitPicture(int digit);  // 0..9; any other value draws 0
QImage ClockSeparatorPicture();
