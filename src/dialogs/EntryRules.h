#pragma once
// The rules by which the dialogs read what the user typed: dates, whole numbers and codes chosen
// from a list, with the texts of the faults they share. Texts are Windows-1252.

#include "common/Formatters.h"

#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QLineEdit;

// A typed date: exactly "GG/MM/AA" (the year 2000 + AA) or "GG/MM/AAAA", digits where the
// pattern has them and '/', '.' or '-' as separators, forming an existing calendar date. On
// success `normal` is "%02d/%02d/%04d" (day, month, year). Anything else, the empty text
// included, is refused.
bool ParseEntryDate(std::string_view text, std::string& normal);

// The refusal of a typed date, naming its field (`field`: "la data di fine periodo") and ending
// with `closing`; empty when the date is taken, with `normal` set. A text that is no date by the
// rule above is refused for its form (kDateForm); a date of a year the database does not keep as
// itself (before 1601, after 2399), which would read back as "00/00/0000" or "99/99/9999", is
// refused for its year.
std::string EntryDateRefusal(std::string_view text, const char* field, const char* closing, std::string& normal);

// Compares two dates in normal form: negative, zero or positive as `a` is before, on or after `b`.
int CompareEntryDates(const std::string& a, const std::string& b);

// A whole number typed into a field that takes `digits` characters: digits only (no sign, no
// blank, no other character), so from 0 to 10^digits - 1; the empty text gives `emptyValue`.
// Anything else is refused: "-1", "12a" and "1.5" are not read as the number they begin with.
bool ParseEntryNumber(std::string_view text, int digits, long emptyValue, long& value);
// The refusal of a number field, naming the field by its label and telling the numbers it takes.
std::string NumberNotValid(const char* label, int digits);

// Reads a number field of a dialog by the rule above, the blanks after the number aside; a text
// it refuses gives `refusal` (a stop message) with the focus on the field and everything typed
// kept, and false. The dialog names this its friend.
struct NumberEntry {
  template <class D>
  static bool Read(D& d, int id, int digits, const std::string& refusal, long& value, long emptyValue = 0) {
    std::string text;
    if (!d.ReadControlText(id, text)) return false;
    if (ParseEntryNumber(WithoutTrailingBlanks(text), digits, emptyValue, value)) return true;
    d.Refuse(refusal, id);
    return false;
  }
  // The same with the refusal that names the field by its label.
  template <class D>
  static bool Read(D& d, int id, const char* label, int digits, long& value, long emptyValue = 0) {
    return Read(d, id, digits, NumberNotValid(label, digits), value, emptyValue);
  }
};

// The code of a combo box whose entries begin with a code written "%04d" ("0012 - Name", "32767 -
// Name"). The text of an entry gives that entry's whole code, its digits up to the " - " before
// the name. Any other text is a typed code of at most four characters, each a digit, whose value
// (0 for the empty text) must be the whole code of one of the entries: a longer text is refused,
// never read as the code its first four characters make ("10000" is not 1000). False when the
// code is refused.
bool CodeFromList(std::string_view text, const std::vector<std::string>& entries, int& code);
// The same on the combo box's own text and entries.
bool CodeFromCombo(const QComboBox* combo, const std::string& text, int& code);
// The refusal of a combo's code: `message` ("ATTENZIONE: Il Codice ... non è valido.\n\n" and what
// follows), with a line after its first paragraph telling that a longer code is chosen from the
// list when `text` has more than the four characters a typed code takes.
std::string CodeNotValid(std::string_view text, const std::string& message);
// Selects the first entry whose whole code is `code`; the text stays empty when none is.
void SelectCodeInCombo(QComboBox* combo, int code);
// The same, but a code missing from the list is shown by its "%04d" text, so that confirming
// refuses it rather than taking the empty field for code 0.
void ShowCodeInCombo(QComboBox* combo, int code);

// The trip fields that cannot be empty (trip, line and route codes, the note): an empty text is
// kept as a single blank.
std::string NotEmpty(std::string text);
// The direction of a trip from the first character typed: 'A' or 'R' in either case, anything
// else (the empty text included) a blank.
char EntryDirection(std::string_view text);

// Closing lines of the entry dialogs' faults.
extern const char* const kNotRecorded;  // "I dati immessi non saranno registrati !!!"
// The first two lines of a refused authority and of a refused contract code.
extern const char* const kAuthorityNotValid;  // "ATTENZIONE: Il Codice Ente Concedente non è valido. ..."
extern const char* const kContractNotValid;   // "ATTENZIONE: Il Codice Contratto non è valido. ..."
// A refused departure time, whole.
extern const char* const kTimeNotValid;  // "ATTENZIONE L'orario di partenza è espresso in modo illegale. ..."
// The date fields of a period as their faults name them, and the line that tells the form of a date.
extern const char* const kStartDateField;  // "la data di inizio periodo"
extern const char* const kEndDateField;    // "la data di fine periodo"
extern const char* const kDateForm;        // "Le date devono essere espresse nella forma GG/MM/AAAA.\n\n"
// A period whose start comes after its end.
extern const char* const kStartAfterEnd;  // "ATTENZIONE: la data di inizio periodo supera ..."

// Reads the date fields of a dialog by the date rule above; a text it refuses gives its refusal
// (EntryDateRefusal, naming the field: kStartDateField for the start of a period, kEndDateField for
// its end) with the dialog's `closing` lines as a stop message, with the focus on the field and
// everything typed kept, and false. The dialog names this its friend.
struct DateField {
  // The characters a date field takes: "GG/MM/AAAA".
  static constexpr int kLength = 10;
  // Gives a line edit of kLength characters the typing of a date field: its whole text is
  // selected whenever it receives the keyboard (but from a click, which puts the cursor where it
  // points), so that what is typed replaces it; and a key typed while the field is full and
  // nothing is selected starts a new date instead of being dropped unseen. A scripted value goes
  // in without its trailing blanks. Returns the edit.
  static QLineEdit* Typing(QLineEdit* edit);
  template <class D>
  static bool Read(D& d, int id, const char* field, const char* closing, std::string& date) {
    std::string text;
    if (!d.ReadControlText(id, text)) return false;
    const std::string refusal = EntryDateRefusal(text, field, closing, date);
    if (refusal.empty()) return true;
    d.Refuse(refusal, id);
    return false;
  }
  // The start and the end of a period, in that order.
  template <class D>
  static bool ReadPeriod(D& d, int startId, int endId, const char* closing, std::string& start, std::string& end) {
    return Read(d, startId, kStartDateField, closing, start) && Read(d, endId, kEndDateField, closing, end);
  }
};
