// The dialog pattern run under a script: values put into the controls as a user would put them,
// the confirmation, its refusals, cancelling, and every way an answer can fail to fit.

#include "common/Cp1252.h"
#include "dialogs/EntryRules.h"
#include "platform/Dialog.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

using Controls = std::vector<std::pair<std::string, std::string>>;

// A dialog of every kind of control, with members set by its click handlers and its OnOK.
class SampleDialog : public ui::Dialog {
 public:
  SampleDialog() : ui::Dialog(nullptr, 190, "Prova Località") {
    auto* grid = new QGridLayout(this);
    grid->addWidget(MakeEdit(1010, 5), 0, 0);
    connect(MakeCheck(1011, "Includo"), &QCheckBox::clicked, this, [this] { flag = 1 - flag; });
    connect(MakeRadio(1012, "Primo"), &QRadioButton::clicked, this, [this] { choice = 0; });
    connect(MakeRadio(1013, "Secondo"), &QRadioButton::clicked, this, [this] { choice = 1; });
    connect(MakeCombo(1014, false), &QComboBox::activated, this, [this](int index) { activated = index; });
    MakeCombo(1015, true)->lineEdit()->setMaxLength(12);
    auto* end = new QPushButton(QStringLiteral("Fine"), this);
    end->setObjectName(QStringLiteral("1016"));
    connect(end, &QPushButton::clicked, this, [this] { EndDialog(1016); });
    MakeEdit(1017, 0)->setEnabled(false);
    DateField::Typing(MakeEdit(1018, DateField::kLength));
    for (int id : {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018}) grid->addWidget(Control(id), id - 1010, 0);
    grid->addWidget(MakeOkCancel(), 9, 0);
  }

  bool OnInitDialog() override {
    ++inits;
    if (keepTyped) return true;
    Combo(1014)->addItems(
        {QStringLiteral("Alfa"), QStringLiteral("Beta"), QStringLiteral("Gamma"), QStringLiteral("Beta")});
    Combo(1015)->addItems({QStringLiteral("0001 - Uno"), QStringLiteral("0002 - Due")});
    SetControlText(1010, text);
    Button(1011)->setChecked(flag == 1);
    Button(choice == 0 ? 1012 : 1013)->setChecked(true);
    return true;
  }

  void OnOK() override {
    std::string typed, picked;
    if (!ReadControlText(1010, typed) || !ReadControlText(1015, picked)) return;
    if (typed == "no") return Refuse("ATTENZIONE: valore rifiutato.", 1010);
    if (!Edit(1018)->text().isEmpty() && !DateField::Read(*this, 1018, kStartDateField, kNotRecorded, date)) return;
    text = typed;
    edited = picked;
    fixedIndex = Combo(1014)->currentIndex();
    EndDialog(ui::IDOK);
  }

  // What the handlers set, as one text.
  std::string State() const {
    return text + "|" + std::to_string(flag) + "|" + std::to_string(choice) + "|" + std::to_string(activated) + "|" +
           std::to_string(fixedIndex) + "|" + edited + (date.empty() ? "" : "|" + date);
  }

  QLineEdit* Line(int id) const { return Edit(id); }
  std::string text = "abc", edited, date;
  int flag = 0, choice = 0, activated = -1, fixedIndex = -1, inits = 0;
  bool keepTyped = false;  // keeps whatever was typed into the controls before it opened
  friend struct ::DateField;
};

ui::Answer Answer(const Controls& controls, const std::string& id = "190") {
  return {ui::Answer::Kind::Dialog, id, controls};
}

TEST(DialogScript, ValuesGoIntoTheControlsAsTypingWouldAndOkConfirms) {
  const std::pair<Controls, const char*> cases[] = {
      {{{"1010", "Città"}, {"1011", "1"}, {"1013", "1"}, {"1014", "Gamma"}, {"1015", "0002 - Due"}},
       "Città|1|1|2|2|0002 - Due"},
      // As long as the edit's limit; a combo position; a typed text in the editable combo as long
      // as its limit; a check box already in the wanted state is not clicked again.
      {{{"1010", "abcde"}, {"1014#", "1"}, {"1015", "0099 scritto"}, {"1011", "0"}}, "abcde|0|0|1|1|0099 scritto"},
      // Of two entries of one text, the first by its text, either by its position.
      {{{"1014", "Beta"}}, "abc|0|0|1|1|0001 - Uno"},
      {{{"1014#", "3"}}, "abc|0|0|3|3|0001 - Uno"},
      {{{"1014#", "0"}}, "abc|0|0|0|0|0001 - Uno"},
      // Trailing blanks stay in a typed text only: an entry, a position or a button is read without.
      {{{"1010", "ab  "}, {"1011", "1 "}, {"1014", "Gamma "}, {"1015", "0002 - Due "}}, "ab  |1|0|2|2|0002 - Due"},
      {{{"1014#", "3  "}, {"1015", "0099 x  "}, {"1013", "1 "}}, "abc|0|1|3|3|0099 x  "},
      // A date too: a blank typed after a whole date would begin a new one.
      {{{"1018", "01/03/2024  "}}, "abc|0|0|-1|0|0001 - Uno|01/03/2024"},
      {{{"1018", "01-03-24 "}}, "abc|0|0|-1|0|0001 - Uno|01/03/2024"},
  };
  for (const auto& [controls, state] : cases) {
    ui::Script script;
    script.Push(Answer(controls));
    SampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(dialog.State(), state);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(script.Transcript(), (std::vector<std::string>{cp1252::ToUtf8("DIALOG\t190\tProva Località")}));
  }
}

TEST(DialogScript, RefusalCancelAndOtherButtonsHandBackNothing) {
  ui::Script script;
  script.Push(Answer({{"1010", "no"}}));
  SampleDialog refused;
  EXPECT_THROW(refused.DoModal(), ui::UnansweredQuestion);  // the refusal's message, then the run ends
  EXPECT_EQ(MessagesOf(script), "ATTENZIONE: valore rifiutato.");
  EXPECT_EQ(refused.Line(1010)->text(), QStringLiteral("no"));  // the typed text stays
  // A character outside the code page, or a C1 control, is refused where it was typed.
  for (const auto& [typed, code] :
       {std::pair{QStringLiteral("Łódź"), "(U+0141)"}, {QStringLiteral("A\u0081"), "(U+0081)"}}) {
    script.Clear();
    script.Push(Answer({}));
    SampleDialog outside;
    outside.keepTyped = true;
    outside.Line(1010)->setText(typed);
    EXPECT_THROW(outside.DoModal(), ui::UnansweredQuestion);
    EXPECT_TRUE(HasPart(MessagesOf(script), code)) << code;
    EXPECT_EQ(outside.text, "abc");
  }
  script.Clear();

  script.Push({ui::Answer::Kind::DialogCancel, "190", {}});
  SampleDialog cancelled;
  EXPECT_EQ(cancelled.DoModal(), ui::IDCANCEL);
  EXPECT_EQ(cancelled.inits, 1);
  // A button that ends the dialog gives its own code; values after it find no dialog.
  script.Push(Answer({{"1010", "xy"}, {"1016", "1"}}));
  SampleDialog ended;
  EXPECT_EQ(ended.DoModal(), 1016);
  script.Push(Answer({{"1016", "1"}, {"1010", "xy"}}));
  SampleDialog late;
  EXPECT_THROW(late.DoModal(), ui::UnansweredQuestion);
  for (const SampleDialog* d : {&refused, &cancelled, &ended, &late}) EXPECT_EQ(d->text, "abc");
  EXPECT_TRUE(script.Messages().empty());
}

TEST(DialogScript, AnswersThatDoNotFitAreErrors) {
  const Controls bad[] = {
      {{"1017", "x"}},              // disabled
      {{"9999", "x"}},              // no such control
      {{"1014", "Delta"}},          // no such entry
      {{"1014", "7"}},              // a number is no entry's text, whatever the rows
      {{"1014", "1"}},              // nor is it a position, which is written "1014#"
      {{"1014", "Bet"}},            // only a whole entry
      {{"1010", "abcdef"}},         // longer than the edit's limit
      {{"1015", "0099 scritto!"}},  // longer than the editable combo's limit
      {{"1014#", "4"}},             // no row at that position
      {{"1014#", "Beta"}},          // a position is a number
      {{"1010#", "0"}},             // not a list
      {{"1012", "0"}},              // a checked radio cannot be switched off by itself
      {{"1011", "sì"}},             // a check box takes 1 or 0
  };
  for (const Controls& controls : bad) {
    ui::Script script;
    script.Push(Answer(controls));
    SampleDialog dialog;
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion) << controls[0].first;
    EXPECT_TRUE(script.Messages().empty());
  }
  {
    ui::Script script;
    SampleDialog dialog;
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // no answer at all
    script.Push(Answer({}, "191"));
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // for another dialog
    EXPECT_EQ(script.PendingAnswers(), 1u);                  // and left for it
    script.Take();
    script.Ok();
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // not a dialog answer
    EXPECT_EQ(script.Transcript().size(), 3u);
  }
  // Without a script or a display nobody could answer.
  SampleDialog dialog;
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
  EXPECT_EQ(dialog.inits, 0);
}

}  // namespace
