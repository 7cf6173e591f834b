#pragma once
// The dialogs of the normalisations and of the stop elimination: a list of the values that the
// trips hold, the entry chosen (when its drop-down list closes) copied into the read-only search
// block "Oggetto della ricerca" and into the editable block "Da sostituire con", the proposal
// checked by "Sostituisci". The creator reads the members after IDOK and runs the replacement.

#include "dialogs/ListFillers.h"
#include "platform/Dialog.h"
#include "utilities/Normalisation.h"

#include <QComboBox>
#include <string>
#include <utility>
#include <vector>

class DbDatabase;

// Control ids of the dialogs.
namespace normalize {
constexpr int kList = 1135;
// 139
constexpr int kOldLine = 1136, kOldDirection = 1137, kNewLine = 1138, kNewDirection = 1139;
// 140
constexpr int kOldCode = 1140, kOldName = 1141, kOldPlace = 1142;
constexpr int kNewCode = 1143, kNewName = 1144, kNewPlace = 1145;
// 141
constexpr int kOldRoute = 1146, kOldRouteName = 1147, kNewRoute = 1148, kNewRouteName = 1149;
// 154
constexpr int kStopCodes = 1208;
}  // namespace normalize

// The shared frame: the list, the two blocks of fields (one row a field) and the buttons.
class NormalizeDialog : public ui::Dialog {
 protected:
  struct Field {
    int oldId, newId, limit;
    const char* label;
  };
  NormalizeDialog(QWidget* parent, DbDatabase* db, int idd, const char* caption, const char* listLabel,
                  std::vector<Field> fields);
  // The entry at `index` of the list was chosen: its values go into both blocks.
  virtual void Chosen(size_t index) = 0;
  // Puts `texts` into the fields of both blocks, in the fields' order.
  void Show(const std::vector<std::string>& texts);
  // The same texts, of an entry the user may choose: the blocks are made wide enough for them.
  void MayShow(const std::vector<std::string>& texts);
  // The text of a field without its trailing blanks, a single blank kept; false when the text
  // holds a character the program cannot store (already said).
  bool Read(int id, std::string& out);

  DbDatabase* db_;

 private:
  std::vector<Field> fields_;
};

// A normalisation of one kind of value: the list filled with the entries of that kind, nothing
// chosen, and the value sought and its replacement after IDOK.
template <class Entry, class Value>
class NormalizeListDialog : public NormalizeDialog {
 public:
  Value search, replacement;

 protected:
  using Filler = std::vector<Entry> (*)(QComboBox* combo, DbDatabase* db);
  NormalizeListDialog(QWidget* parent, DbDatabase* db, int idd, const char* caption, const char* listLabel,
                      std::vector<Field> fields, Filler fill)
      : NormalizeDialog(parent, db, idd, caption, listLabel, std::move(fields)), fill_(fill) {}

  bool OnInitDialog() override {
    Combo(normalize::kList)->clear();
    list_ = fill_(Combo(normalize::kList), db_);
    for (const Entry& entry : list_) MayShow(TextsOf(entry));
    chosen_ = static_cast<size_t>(-1);
    Combo(normalize::kList)->setCurrentIndex(-1);
    return true;
  }
  void Chosen(size_t index) override {
    if (index >= list_.size()) return;
    chosen_ = index;
    Show(TextsOf(list_[index]));
  }
  // The entry last chosen when the search block still shows its texts (`texts`, in the fields'
  // order); null otherwise. Its texts as stored then name exactly its rows.
  const Entry* ChosenAs(const std::vector<std::string>& texts) const {
    return chosen_ < list_.size() && TextsOf(list_[chosen_]) == texts ? &list_[chosen_] : nullptr;
  }
  // The texts of an entry, in the fields' order.
  virtual std::vector<std::string> TextsOf(const Entry& entry) const = 0;

 private:
  Filler fill_;
  std::vector<Entry> list_;
  size_t chosen_ = static_cast<size_t>(-1);
};

// "Normalizzazione Codice Linea" (139).
class LineCodeNormalizeDialog : public NormalizeListDialog<LineDirectionEntry, LineAndDirection> {
 public:
  LineCodeNormalizeDialog(QWidget* parent, DbDatabase* db, int idd);

 protected:
  void OnOK() override;
  std::vector<std::string> TextsOf(const LineDirectionEntry& entry) const override;
};

// "Normalizzazione Fermate" (140).
class StopNormalizeDialog : public NormalizeListDialog<StopEntry, StopSpelling> {
 public:
  StopNormalizeDialog(QWidget* parent, DbDatabase* db, int idd);

 protected:
  void OnOK() override;
  std::vector<std::string> TextsOf(const StopEntry& entry) const override;
};

// "Normalizzazione Percorsi" (141).
class RouteNormalizeDialog : public NormalizeListDialog<RouteEntry, RouteName> {
 public:
  RouteNormalizeDialog(QWidget* parent, DbDatabase* db, int idd);

 protected:
  void OnOK() override;
  std::vector<std::string> TextsOf(const RouteEntry& entry) const override;
};

// "Eliminazione Fermata" (154): the code of a stop of the list.
class StopDeleteDialog : public ui::Dialog {
 public:
  StopDeleteDialog(QWidget* parent, DbDatabase* db, int idd);
  DbText code;  // as stored when it lost a character

 protected:
  bool OnInitDialog() override;
  void OnOK() override;

 private:
  DbDatabase* db_;
  std::vector<DbText> codes_;  // of the list's entries
};
