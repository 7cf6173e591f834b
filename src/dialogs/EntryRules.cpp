#include "dialogs/EntryRules.h"

#include "common/Cp1252.h"
#include "common/Formatters.h"
#include "db/FieldValue.h"
#include "platform/Dialog.h"

#include <QComboBox>
#include <QDate>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>

const char* const kNotRecorded = "I dati immessi non saranno registrati !!!";
const char* const kAuthorityNotValid =
    "ATTENZIONE: Il Codice Ente Concedente non è valido.\n\n"
    "Occorre selezionare un Codice Regionale Ente presente nella lista.\n\n";
const char* const kContractNotValid =
    "ATTENZIONE: Il Codice Contratto non è valido.\n\n"
    "Occorre indicare un Codice Contratto numerico compreso tra 0 e 9999.\n\n";
const char* const kTimeNotValid =
    "ATTENZIONE L'orario di partenza è espresso in modo illegale.\n\n"
    "Gli orari devono essere espressi nel formato HH.MM\n\n";
const char* const kStartDateField = "la data di inizio periodo";
const char* const kEndDateField = "la data di fine periodo";
const char* const kDateForm = "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n";
const char* const kStartAfterEnd = "ATTENZIONE: la data di inizio periodo supera la data di fine periodo.";

namespace {

// The typing of a date field (DateField::Typing), watching its edit.
class DateTyping : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* edit = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::FocusIn) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::MouseFocusReason && reason != Qt::PopupFocusReason) edit->selectAll();
    } else if (event->type() == QEvent::KeyPress) {
      // A full field would drop the key: it begins the date again, as over a selected text.
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool typed = !key->text().isEmpty() && key->text().front().isPrint() &&
                         !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
      if (typed && !edit->isReadOnly() && !edit->hasSelectedText() && edit->text().size() >= edit->maxLength())
        edit->selectAll();
    }
    return false;
  }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDateSeparator(char c) { return c == '/' || c == '.' || c == '-'; }
int Digits(std::string_view text, size_t from, size_t count) {
  int value = 0;
  for (size_t k = from; k < from + count; ++k) value = value * 10 + (text[k] - '0');
  return value;
}

std::string Code4(int code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", code);
  return buf;
}

}  // namespace

bool ParseEntryDate(std::string_view text, std::string& normal) {
  if (text.size() != 8 && text.size() != 10) return false;
  for (size_t k = 0; k < text.size(); ++k) {
    const bool ok = (k == 2 || k == 5) ? IsDateSeparator(text[k]) : IsDigit(text[k]);
    if (!ok) return false;
  }
  const int day = Digits(text, 0, 2);
  const int month = Digits(text, 3, 2);
  const int year = text.size() == 8 ? 2000 + Digits(text, 6, 2) : Digits(text, 6, 4);
  if (!QDate::isValid(year, month, day)) return false;
  normal = DateRecord{year, month, day}.Format();
  return true;
}

std::string EntryDateRefusal(std::string_view text, const char* field, const char* closing, std::string& normal) {
  const std::string named = std::string("ATTENZIONE: ") + field;
  if (!ParseEntryDate(text, normal)) return named + " è espressa in un formato illegale.\n\n" + kDateForm + closing;
  // The years the database keeps, as the exchange files' dates (FieldValue.h).
  if (IsKeptDate(Digits(normal, 6, 4), Digits(normal, 3, 2), Digits(normal, 0, 2))) return {};
  normal.clear();
  return named +
         " ha un anno non ammesso.\n\n"
         "L'anno deve essere compreso tra 1601 e 2399 (99/99/9999 indica una data aperta, 00/00/0000 una data non "
         "ancora data).\n\n" +
         closing;
}

int CompareEntryDates(const std::string& a, const std::string& b) {
  // "GG/MM/AAAA": year, then month, then day.
  const auto key = [](const std::string& d) {
    return d.size() == 10 ? d.substr(6, 4) + d.substr(3, 2) + d.substr(0, 2) : d;
  };
  return key(a).compare(key(b));
}

bool ParseEntryNumber(std::string_view text, int digits, long emptyValue, long& value) {
  if (text.empty()) {
    value = emptyValue;
    return true;
  }
  if (text.size() > static_cast<size_t>(digits)) return false;
  long number = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    number = number * 10 + (c - '0');
  }
  value = number;
  return true;
}

std::string NumberNotValid(const char* label, int digits) {
  return std::string("ATTENZIONE: il valore del campo \"") + label + "\" non è valido.\n\n" +
         "Occorre indicare un numero intero compreso tra 0 e " + std::string(static_cast<size_t>(digits), '9') +
         ".\n\n" + kNotRecorded;
}

namespace {

// The characters of a code typed into a code list's combo.
constexpr size_t kTypedCodeLength = 4;

// A code of a list is a 16-bit number: more digits than these are no code of any list.
constexpr size_t kMostCodeDigits = 9;

// The code an entry of a code list begins with: all its digits up to the " - " before the name
// ("0012 - Name" 12, "32767 - Name" 32767); false for an entry that begins otherwise.
bool EntryCode(std::string_view entry, int& code) {
  const std::string_view digits = entry.substr(0, entry.find(" - "));
  if (digits.empty() || digits.size() > kMostCodeDigits) return false;
  for (char c : digits)
    if (!IsDigit(c)) return false;
  code = Digits(digits, 0, digits.size());
  return true;
}

// The position of the first entry whose whole code is `code`; -1 when none is.
int EntryOfCode(const std::vector<std::string>& entries, int code) {
  for (size_t k = 0; k < entries.size(); ++k) {
    int listed = 0;
    if (EntryCode(entries[k], listed) && listed == code) return static_cast<int>(k);
  }
  return -1;
}

std::vector<std::string> ComboEntries(const QComboBox* combo) {
  std::vector<std::string> entries;
  entries.reserve(static_cast<size_t>(combo->count()));
  for (int k = 0; k < combo->count(); ++k) entries.push_back(cp1252::FromQStringLossy(combo->itemText(k)));
  return entries;
}

}  // namespace

bool CodeFromList(std::string_view text, const std::vector<std::string>& entries, int& code) {
  // An entry chosen gives its whole code, one of five digits too ("32767 - Name").
  for (const std::string& entry : entries)
    if (entry == text && EntryCode(entry, code)) return true;
  // A typed code has at most four characters: a longer one is no code cut to its first four.
  if (text.size() > kTypedCodeLength) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  const int value = text.empty() ? 0 : Digits(text, 0, text.size());
  if (EntryOfCode(entries, value) < 0) return false;
  code = value;
  return true;
}

bool CodeFromCombo(const QComboBox* combo, const std::string& text, int& code) {
  return CodeFromList(text, ComboEntries(combo), code);
}

std::string CodeNotValid(std::string_view text, const std::string& message) {
  if (text.size() <= kTypedCodeLength) return message;
  const size_t after = message.find("\n\n");
  std::string out = message;
  if (after != std::string::npos)
    out.insert(after + 2, "Si possono digitare al più quattro cifre: un codice più lungo va scelto dalla lista.\n\n");
  return out;
}

void SelectCodeInCombo(QComboBox* combo, int code) {
  const int index = EntryOfCode(ComboEntries(combo), code);
  combo->setCurrentIndex(index);
  if (index < 0 && combo->isEditable()) combo->setEditText(QString());
}

void ShowCodeInCombo(QComboBox* combo, int code) {
  SelectCodeInCombo(combo, code);
  if (combo->currentIndex() < 0 && combo->isEditable()) combo->setEditText(QString::fromLatin1(Code4(code).c_str()));
}

std::string NotEmpty(std::string text) { return text.empty() ? std::string(" ") : text; }

char EntryDirection(std::string_view text) {
  const char first = text.empty() ? ' ' : text[0];
  return first == 'a' || first == 'A' ? 'A' : first == 'r' || first == 'R' ? 'R' : ' ';
}

QLineEdit* DateField::Typing(QLineEdit* edit) {
  edit->installEventFilter(new DateTyping(edit));
  // A blank typed after a whole date begins a new one, so the date a script gives is the date
  // without the blanks after it.
  ui::ScriptValueWithoutTrailingBlanks(edit);
  return edit;
}
