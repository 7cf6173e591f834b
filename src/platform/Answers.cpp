#include "platform/Answers.h"

#include "common/Cp1252.h"

#include <cctype>

namespace ui {
namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Splits off the first blank-separated word.
std::string FirstWord(const std::string& s, std::string& rest) {
  const size_t end = s.find_first_of(" \t");
  if (end == std::string::npos) {
    rest.clear();
    return s;
  }
  rest = Trim(s.substr(end));
  return s.substr(0, end);
}

}  // namespace

bool ParseAnswers(const std::string& utf8Text, std::vector<Answer>& out, std::string& error) {
  std::vector<Answer> answers;
  size_t start = 0;
  int lineNo = 0;
  while (start < utf8Text.size()) {
    size_t end = utf8Text.find('\n', start);
    if (end == std::string::npos) end = utf8Text.size();
    std::string raw = utf8Text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (lineNo == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);  // byte-order mark
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;

    const auto fail = [&](const std::string& why) {
      error = "riga " + std::to_string(lineNo) + ": " + why + ": " + line;
      return false;
    };
    std::string text;
    if (!cp1252::FromUtf8(line, text)) return fail("carattere non rappresentabile");

    if (raw[0] == ' ' || raw[0] == '\t') {  // a control value of the dialog above
      if (answers.empty() || answers.back().kind != Answer::Kind::Dialog)
        return fail("valore di controllo fuori da una risposta dialog");
      const size_t eq = text.find('=');
      if (eq == std::string::npos || Trim(text.substr(0, eq)).empty()) return fail("atteso CONTROLLO=VALORE");
      // The value is everything after the '=' to the end of the line, its blanks included (a text
      // field takes them as typed), its trailing tabs aside.
      std::string value;
      cp1252::FromUtf8(raw.substr(raw.find('=') + 1), value);
      while (!value.empty() && value.back() == '\t') value.pop_back();
      answers.back().controls.emplace_back(Trim(text.substr(0, eq)), value);
      continue;
    }

    std::string rest;
    const std::string word = Lower(FirstWord(text, rest));
    if (word == "ok" && rest.empty()) {
      answers.push_back({Answer::Kind::Ok, {}, {}, lineNo});
    } else if (word == "cancel" && rest.empty()) {
      answers.push_back({Answer::Kind::Cancel, {}, {}, lineNo});
    } else if (word == "file" && !rest.empty()) {
      answers.push_back({Answer::Kind::File, rest, {}, lineNo});
    } else if (word == "printer" && !rest.empty()) {
      Answer printer{Answer::Kind::Printer, rest, {}, lineNo};
      // A last word "landscape" or "portrait" chooses the paper's orientation.
      for (const std::string orientation : {"landscape", "portrait"}) {
        const std::string last = " " + orientation;
        if (Lower(rest).size() > last.size() &&
            Lower(rest).compare(rest.size() - last.size(), last.size(), last) == 0) {
          printer.value = Trim(rest.substr(0, rest.size() - last.size()));
          printer.controls.emplace_back("orientation", orientation);
        }
      }
      answers.push_back(std::move(printer));
    } else if (word == "preview" && (Lower(rest) == "close" || Lower(rest) == "print")) {
      answers.push_back({Answer::Kind::Preview, Lower(rest), {}, lineNo});
    } else if (word == "dialog" && !rest.empty()) {
      std::string tail;
      const std::string id = FirstWord(rest, tail);
      if (tail.empty())
        answers.push_back({Answer::Kind::Dialog, id, {}, lineNo});
      else if (Lower(tail) == "cancel")
        answers.push_back({Answer::Kind::DialogCancel, id, {}, lineNo});
      else
        return fail("atteso 'dialog ID' oppure 'dialog ID cancel'");
    } else {
      return fail("risposta non riconosciuta");
    }
  }
  out = std::move(answers);
  return true;
}

std::string AnswerText(const Answer& answer) {
  switch (answer.kind) {
    case Answer::Kind::Ok: return "ok";
    case Answer::Kind::Cancel: return "cancel";
    case Answer::Kind::File: return "file " + answer.value;
    case Answer::Kind::DialogCancel: return "dialog " + answer.value + " cancel";
    case Answer::Kind::Printer:
      return "printer " + answer.value + (answer.controls.empty() ? "" : " " + answer.controls.front().second);
    case Answer::Kind::Preview: return "preview " + answer.value;
    case Answer::Kind::Dialog: break;
  }
  const size_t n = answer.controls.size();
  return "dialog " + answer.value + " (" + std::to_string(n) + (n == 1 ? " valore)" : " valori)");
}

}  // namespace ui
