// The dialog pattern run under a script: values put into the controls as a user would put them,
// the confirmation, its refusals, cancelling, and every way an answer can fail to fit.

#include "common/Cp1252.h"
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

constexpr int kIdd = 190;

// A dialog of every kind of control, with members set by its click handlers and its OnOK.
class SampleDialog : public ui::Dialog {
 public:
  explicit SampleDialog(int idd = kIdd) : ui::Dialog(nullptr, idd, "Prova Località") {
    auto* grid = new QGridLayout(this);
    grid->addWidget(MakeEdit(1010, 5), 0, 0);
    QCheckBox* check = MakeCheck(1011, "Includo");
    connect(check, &QCheckBox::clicked, this, [this] { flag = 1 - flag; });
    grid->addWidget(check, 1, 0);
    QRadioButton* first = MakeRadio(1012, "Primo");
    QRadioButton* second = MakeRadio(1013, "Secondo");
    connect(first, &QRadioButton::clicked, this, [this] { choice = 0; });
    connect(second, &QRadioButton::clicked, this, [this] { choice = 1; });
    grid->addWidget(first, 2, 0);
    grid->addWidget(second, 2, 1);
    QComboBox* fixed = MakeCombo(1014, false);
    connect(fixed, &QComboBox::activated, this, [this](int index) { activated = index; });
    grid->addWidget(fixed, 3, 0);
    grid->addWidget(MakeCombo(1015, true), 3, 1);
    QPushButton* end = new QPushButton("Fine", this);
    end->setObjectName("1016");
    connect(end, &QPushButton::clicked, this, [this] { EndDialog(1016); });
    grid->addWidget(end, 4, 0);
    QLineEdit* off = MakeEdit(1017, 0);
    off->setEnabled(false);
    grid->addWidget(off, 4, 1);
    grid->addWidget(MakeOkCancel(), 5, 0);
  }

  bool OnInitDialog() override {
    ++inits;
    Combo(1014)->clear();
    Combo(1014)->addItems({"Alfa", "Beta", "Gamma"});
    Combo(1015)->clear();
    Combo(1015)->addItems({"0001 - Uno", "0002 - Due"});
    SetControlText(1010, text);
    Button(1011)->setChecked(flag == 1);
    Button(choice == 0 ? 1012 : 1013)->setChecked(true);
    return true;
  }

  void OnOK() override {
    std::string typed, picked;
    if (!ReadControlText(1010, typed) || !ReadControlText(1015, picked)) return;
    if (typed == "no") {
      Refuse("ATTENZIONE: valore rifiutato.", 1010);
      return;
    }
    text = typed;
    edited = picked;
    fixedIndex = Combo(1014)->currentIndex();
    EndDialog(ui::IDOK);
  }

  QLineEdit* Line(int id) const { return Edit(id); }

  std::string text = "abc";
  std::string edited;
  int flag = 0;
  int choice = 0;
  int activated = -1;
  int fixedIndex = -1;
  int inits = 0;
};

ui::Answer DialogAnswer(const std::string& id, std::vector<std::pair<std::string, std::string>> controls) {
  return {ui::Answer::Kind::Dialog, id, std::move(controls)};
}

TEST(DialogScript, ValuesGoIntoTheControlsAndOkConfirms) {
  ui::Script script;
  script.Push(DialogAnswer(
      "190", {{"1010", "Città"}, {"1011", "1"}, {"1013", "1"}, {"1014", "Gamma"}, {"1015", "0002 - Due"}}));
  SampleDialog dialog;
  EXPECT_EQ(dialog.DoModal(), ui::IDOK);
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_EQ(dialog.text, "Città");
  EXPECT_EQ(dialog.flag, 1);
  EXPECT_EQ(dialog.choice, 1);
  EXPECT_EQ(dialog.activated, 2);
  EXPECT_EQ(dialog.fixedIndex, 2);
  EXPECT_EQ(dialog.edited, "0002 - Due");
  EXPECT_EQ(script.Transcript(), (std::vector<std::string>{cp1252::ToUtf8("DIALOG\t190\tProva Località")}));
  EXPECT_EQ(script.PendingAnswers(), 0u);
}

TEST(DialogScript, ControlsTakeValuesAsTypingWould) {
  ui::Script script;
  // Cut to the edit's limit; a combo index; a typed text in the editable combo; a check box
  // already in the wanted state is not clicked again.
  script.Push(DialogAnswer("190", {{"1010", "abcdefgh"}, {"1014", "1"}, {"1015", "0099 scritto"}, {"1011", "0"}}));
  SampleDialog dialog;
  ASSERT_EQ(dialog.DoModal(), ui::IDOK);
  EXPECT_EQ(dialog.text, "abcde");
  EXPECT_EQ(dialog.fixedIndex, 1);
  EXPECT_EQ(dialog.edited, "0099 scritto");
  EXPECT_EQ(dialog.flag, 0);
}

TEST(DialogScript, RefusalShowsItsMessageThenEndsTheRun) {
  ui::Script script;
  script.Push(DialogAnswer("190", {{"1010", "no"}}));
  SampleDialog dialog;
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
  EXPECT_EQ(MessagesOf(script), "ATTENZIONE: valore rifiutato.");
  ASSERT_EQ(script.Messages().size(), 1u);
  EXPECT_EQ(script.Messages()[0].type, ui::MB_ICONSTOP);
  EXPECT_EQ(dialog.text, "abc");               // nothing handed back
  EXPECT_EQ(dialog.Line(1010)->text(), "no");  // the typed text stays
}

TEST(DialogScript, CancelClosesWithoutConfirming) {
  ui::Script script;
  script.Push({ui::Answer::Kind::DialogCancel, "190", {}});
  SampleDialog dialog;
  EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
  EXPECT_EQ(dialog.text, "abc");
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_TRUE(script.Messages().empty());
}

TEST(DialogScript, AButtonThatEndsTheDialogGivesItsOwnCode) {
  ui::Script script;
  script.Push(DialogAnswer("190", {{"1010", "xy"}, {"1016", "1"}}));
  SampleDialog dialog;
  EXPECT_EQ(dialog.DoModal(), 1016);
  EXPECT_EQ(dialog.text, "abc");  // OnOK did not run

  script.Push(DialogAnswer("190", {{"1016", "1"}, {"1010", "xy"}}));
  SampleDialog again;
  EXPECT_THROW(again.DoModal(), ui::UnansweredQuestion);
}

TEST(DialogScript, AnswersThatDoNotFitAreErrors) {
  const std::vector<std::vector<std::pair<std::string, std::string>>> bad = {
      {{"1017", "x"}},      // disabled
      {{"9999", "x"}},      // no such control
      {{"1014", "Delta"}},  // no such entry
      {{"1014", "7"}},      // index out of range
      {{"1012", "0"}},      // a checked radio cannot be switched off by itself
      {{"1011", "sì"}},     // a check box takes 1 or 0
  };
  for (const auto& controls : bad) {
    ui::Script script;
    script.Push(DialogAnswer("190", controls));
    SampleDialog dialog;
    EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion) << controls[0].first;
    EXPECT_TRUE(script.Messages().empty());
  }

  ui::Script script;
  SampleDialog dialog;
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // no answer at all
  script.Push(DialogAnswer("191", {}));
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // for another dialog
  EXPECT_EQ(script.PendingAnswers(), 1u);                  // and left for it
  script.Take();
  script.Ok();
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);  // not a dialog answer
  EXPECT_EQ(script.Transcript().size(), 3u);
}

TEST(DialogScript, WithoutScriptOrDisplayItCannotBeAnswered) {
  SampleDialog dialog;
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
  EXPECT_EQ(dialog.inits, 0);
}

// Keeps whatever is in its controls when it opens, so that a test can type into them first.
class TypedDialog : public SampleDialog {
 public:
  bool OnInitDialog() override { return true; }
};

TEST(DialogScript, ACharacterOutsideTheCodePageIsRefusedWhereItWasTyped) {
  ui::Script script;
  script.Push(DialogAnswer("190", {}));
  TypedDialog dialog;
  dialog.Line(1010)->setText(QString::fromUtf16(u"\u0141\u00F3d\u017A"));
  EXPECT_THROW(dialog.DoModal(), ui::UnansweredQuestion);
  ASSERT_EQ(script.Messages().size(), 1u);
  EXPECT_EQ(script.Messages()[0].type, ui::MB_ICONSTOP);
  EXPECT_NE(script.Messages()[0].text.find("(U+0141)"), std::string::npos) << script.Messages()[0].text;
  EXPECT_EQ(dialog.text, "abc");
}

}  // namespace
