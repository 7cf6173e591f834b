#pragma once
// The framed heading of the program's text reports: a rule of 72 '=', the moment and the report's
// title, one line for each further text (the database, the folder, the file read), the rule again
// and an empty line. Lines end in CR LF.

#include "common/Clock.h"

#include <initializer_list>
#include <string>

std::string TextReportHead(const std::string& title, std::initializer_list<std::string> lines, const ClockTime& now);
