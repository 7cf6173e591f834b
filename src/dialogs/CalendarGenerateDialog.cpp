#include "dialogs/CalendarGenerateDialog.h"

#include "dialogs/EntryRules.h"
#include "dialogs/ListFillers.h"
#include "editing/CalendarRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <tuple>

using namespace calendar_generate;

namespace {

constexpr int kCadenceLength = 10;
const char* const kNotAccepted = "I dati immessi non possono essere accettati !!!";

// Limits what is typed into an editable combo box to `limit` characters, as the edit field of a
// Windows combo box does: an entry of the list is shown whole however long, a longer text may be
// shortened, but typing cannot make it longer. A maximum length would instead cut the entries.
class TypingLimit : public QValidator {
 public:
  TypingLimit(QComboBox* combo, int limit) : QValidator(combo), combo_(combo), limit_(limit) {
    connect(combo->lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
  }

  State validate(QString& input, int& pos) const override {
    const qsizetype allowed = std::max<qsizetype>(limit_, before_.size());
    if (input.size() <= allowed || combo_->findText(input, Qt::MatchExactly) >= 0) return Acceptable;
    // Drop the characters typed or pasted beyond the limit: they end at the cursor.
    const qsizetype excess = std::min<qsizetype>(input.size() - allowed, pos);
    input.remove(pos - excess, excess);
    pos -= static_cast<int>(excess);
    return input.size() <= allowed ? Acceptable : Invalid;
  }

 private:
  QComboBox* combo_;
  int limit_;
  QString before_;  // the text before the change being checked
};

}  // namespace

CalendarGenerateDialog::CalendarGenerateDialog(QWidget* parent, DbDatabase* db, std::string initialStart,
                                               std::string initialEnd, int idd)
    : ui::Dialog(parent, idd, "Generazione Automatica Calendario"),
      startText(std::move(initialStart)),
      endText(std::move(initialEnd)),
      db_(db) {
  auto* cadenceBox = new QGroupBox(QStringLiteral("Cadenza"), this);
  QComboBox* cadences = MakeCombo(kCadence, true);
  cadences->setMinimumContentsLength(36);
  cadences->setValidator(new TypingLimit(cadences, kCadenceLength));
  (new QVBoxLayout(cadenceBox))->addWidget(cadences);

  auto* period = new QGroupBox(QStringLiteral("Periodo"), this);
  auto* dates = new QGridLayout(period);
  dates->addWidget(MakeLabel("Data Inizio Periodo"), 0, 0);
  dates->addWidget(DateField::Typing(MakeEdit(kStart, DateField::kLength)), 0, 1);
  dates->addWidget(MakeLabel("Data Fine Periodo"), 1, 0);
  dates->addWidget(DateField::Typing(MakeEdit(kEnd, DateField::kLength)), 1, 1);

  auto* week = new QGroupBox(QStringLiteral("Giorni della settimana"), this);
  auto* days = new QGridLayout(week);
  for (int day = 0; day < 7; ++day) {
    QCheckBox* box = MakeCheck(kMonday + day, WeekdayName(static_cast<char>('1' + day)));
    days->addWidget(box, day % 4, day / 4);
    connect(box, &QCheckBox::clicked, this, [this, box, day] {
      weekdays[day] = !weekdays[day];
      box->setChecked(weekdays[day] != 0);
    });
  }

  auto* choice = new QGroupBox(QStringLiteral("Operazione"), this);
  auto* operations = new QVBoxLayout(choice);
  for (const auto& [id, label, value] : {std::tuple{kAdd, "Aggiungo", 0}, std::tuple{kDelete, "Elimino", 1}}) {
    QRadioButton* radio = MakeRadio(id, label);
    operations->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this, [this, chosen = value] {
      operation = chosen;
      Button(kAdd)->setChecked(operation == 0);
      Button(kDelete)->setChecked(operation == 1);
    });
  }
  operations->addStretch();

  auto* lower = new QHBoxLayout;
  lower->addWidget(week);
  lower->addWidget(choice);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cadenceBox);
  layout->addWidget(period);
  layout->addLayout(lower);
  layout->addWidget(MakeOkCancel());
  // Being a dialog with a parent, it is shown centred on it.
}

bool CalendarGenerateDialog::OnInitDialog() {
  QComboBox* cadences = Combo(kCadence);
  cadences->clear();
  cadences_ = FillCadenceCombo(cadences, db_, "%-4s - %s");
  cadences->setCurrentIndex(-1);
  SetControlText(kStart, startText);
  SetControlText(kEnd, endText);
  for (int day = 0; day < 7; ++day) Button(kMonday + day)->setChecked(weekdays[day] != 0);
  Button(kAdd)->setChecked(operation == 0);
  Button(kDelete)->setChecked(operation == 1);
  return true;
}

void CalendarGenerateDialog::OnOK() {
  std::string text;
  if (!ReadControlText(kCadence, text)) return;
  // The code is the text up to its first blank, within the field's ten characters.
  text.resize(std::min<size_t>(text.size(), kCadenceLength));
  const std::string code = text.substr(0, text.find(' '));
  if (code.empty()) {
    Refuse(std::string("ATTENZIONE: non è stata indicata nessuna cadenza !!!\n\n") + kNotAccepted, kCadence);
    return;
  }
  std::string start, end;
  if (!DateField::ReadPeriod(*this, kStart, kEnd, kNotAccepted, start, end)) return;
  // The two dates are not compared: a range that ends before it starts generates no date.
  cadence = ChosenCode(Combo(kCadence), cadences_, code);
  startText = start;
  endText = end;
  EndDialog(ui::IDOK);
}
