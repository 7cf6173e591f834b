// The dialogs with a company, authority or stop list, run as the user meets them (shown on the
// offscreen screen, no script): a code typed key by key into the list stays the code typed,
// whichever longer code of the list begins with it; and beside the widest entries, of 40-character
// names, every field still shows its value whole, a trip's note of 120 characters and the texts an
// entry chosen puts in the fields too.

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "db/DbDatabase.h"
#include "dialogs/CompanyCodeDialog.h"
#include "dialogs/CompanyHeaderDialog.h"
#include "dialogs/ContractsAssignDialog.h"
#include "dialogs/ExportDialogs.h"
#include "dialogs/NormalizeDialogs.h"
#include "dialogs/QuadroAssignDialogs.h"
#include "dialogs/TransportModeDialogs.h"
#include "dialogs/TripHeadDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// A dialog of the table and what it hands back: the company or authority confirmed.
struct Opened {
  std::unique_ptr<ui::Dialog> dialog;
  int list = 0;  // the id of its editable list
  std::function<int()> code;
};

// Companies and authorities alike: two pairs of codes where one begins with the other, the longer
// code listed first (the lists go by name), and names of 40 characters, the longest a list holds.
const char* const kListRows =
    " VALUES (17, 'Tiemme'), (1700, 'Autolinee Chianti'), (1000, 'Consorzio Pisano Trasporti'),"
    " (10000, 'Autolinee Consorziate Valdichiana Senese'), (12345, 'Societa Consortile Trasporti Toscana Sud');";

// A stop whose name and location are of 40 characters, the longest their columns hold, and a short one.
const char* const kStopRows =
    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
    " VALUES (1, 1, 'F01', 'Piazza Stazione Santa Maria Novella - FI', 'Via Alamanni angolo Via della Scala lato',"
    " 0, 700, 700, 0, 0, 0, 0), (1, 2, 'F02', 'Duomo', 'Piazza del Duomo', 900, 710, 710, 0, 0, 0, 0);";
// A trip's note of 120 characters, the longest its field takes.
const char* const kLongNote =
    "Effettuata nei soli giorni di scuola; non si effettua il 24 e 31 dicembre. Coincidenza a Siena con il treno per "
    "Firenze.";

struct ListDialogs : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db;

  void SetUp() override {
    MakeTimetableDatabase(path);
    RunSql(path, std::string("DELETE FROM regazi; DELETE FROM regent; INSERT INTO regazi (codice, denom)") + kListRows +
                     "INSERT INTO regent (codice, denom)" + kListRows + TripHeadSql(1, 1, 700) +
                     "UPDATE tescor SET ente = 12345, lung = 61664, ct_lung = 61664;" + kStopRows);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }

  // The dialog `idd` as its command opens it, its list enabled.
  Opened Open(int idd) {
    Opened o;
    switch (idd) {
      case 115: {
        auto* d = new CompanyHeaderDialog(nullptr, db.get(), 12, "15/01/2024", 345, "Mario Rossi", "01/01/2024",
                                          "31/12/2024", 115);
        o = {std::unique_ptr<ui::Dialog>(d), company_header::kCompany, [d] { return d->company; }};
        break;
      }
      case 122: {
        const TripHead head{"C101", "L7", 'A', "P1", 12, 0, 61664, 35, 61664, 30, kLongNote, 'X', "-1", "4711"};
        auto* d = new TripHeadDialog(nullptr, db.get(), head, true, {}, 122);
        o = {std::unique_ptr<ui::Dialog>(d), trip_head::kAuthority, [d] { return d->head.authority; }};
        break;
      }
      case 129: {
        auto* d = new ContractsAssignDialog(nullptr, db.get(), 129);
        o = {std::unique_ptr<ui::Dialog>(d), contracts_assign::kAuthority, [d] { return d->authority; }};
        break;
      }
      case 131:
      case 155: {
        TimetableExportDialog* d =
            idd == 131 ? new TimetableExportDialog(nullptr, db.get(), 131)
                       : new PeriodTimetableExportDialog(nullptr, db.get(), "01/01/2024", "30/06/2024", 155);
        d->anyAuthority = false;
        o = {std::unique_ptr<ui::Dialog>(d), export_dialog::kAuthority, [d] { return d->authority; }};
        break;
      }
      case 136: {
        auto* d = new ContractAssignDialog(nullptr, db.get(), 12, 9999, 136);
        o = {std::unique_ptr<ui::Dialog>(d), quadro_assign::kAuthority, [d] { return d->authority; }};
        break;
      }
      case 152: {
        auto* d = new AuthorityModeDialog(nullptr, db.get(), 152);
        o = {std::unique_ptr<ui::Dialog>(d), transport_mode::kAuthority, [] { return -1; }};
        break;
      }
      case 140: {
        auto* d = new StopNormalizeDialog(nullptr, db.get(), 140);
        o = {std::unique_ptr<ui::Dialog>(d), normalize::kList, [] { return -1; }};
        break;
      }
      case 153: {
        auto* d = new CompanyCodeDialog(nullptr, db.get(), "Versione 7 dal 01.03.2024 al 05.03.2024\n", 153);
        o = {std::unique_ptr<ui::Dialog>(d), company_code::kCompany, [d] { return d->company; }};
        break;
      }
    }
    return o;
  }
};

// ---- A code typed stays as typed ----------------------------------------------------------------

struct Typed {
  int idd;
  const char* typed;
};

class TypedCode : public ListDialogs, public ::testing::WithParamInterface<Typed> {};

// The code typed over the list's text, then Return, then (the dialog still open) OK: the dialog
// hands back the code typed, never that of the entry the code begins.
TEST_P(TypedCode, IsTheCodeHandedBack) {
  Opened o = Open(GetParam().idd);
  ui::Dialog& dialog = *o.dialog;
  QString shown;
  const int result = RunAsUser(dialog, [&] {
    QLineEdit* field = dialog.findChild<QComboBox*>(QString::number(o.list))->lineEdit();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromLatin1(GetParam().typed));
    shown = field->text();
    QTest::keyClick(field, Qt::Key_Return);
    if (dialog.isVisible()) dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
  });
  EXPECT_EQ(shown.toStdString(), GetParam().typed);
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(o.code(), std::stoi(GetParam().typed));
}

INSTANTIATE_TEST_SUITE_P(Table, TypedCode,
                         ::testing::Values(Typed{115, "17"}, Typed{115, "1000"}, Typed{122, "17"}, Typed{122, "1000"},
                                           Typed{129, "17"}, Typed{129, "1000"}, Typed{131, "17"}, Typed{131, "1000"},
                                           Typed{136, "17"}, Typed{136, "1000"}, Typed{153, "17"}, Typed{153, "1000"},
                                           Typed{153, "1700"}, Typed{155, "0017"}),
                         [](const ::testing::TestParamInfo<Typed>& row) {
                           return std::to_string(row.param.idd) + "_" + row.param.typed;
                         });

// ---- Every field shows its value beside the widest entries --------------------------------------

// The fields of a dialog (but a list's own) whose text is cut: "id=text (room)". A field of a
// number, date or short code is tried too with its longest value of the widest digit.
std::vector<std::string> CutFields(const ui::Dialog& dialog) {
  std::vector<std::string> cut;
  for (QLineEdit* field : dialog.findChildren<QLineEdit*>()) {
    if (qobject_cast<QComboBox*>(field->parentWidget())) continue;
    QStringList values{field->text()};
    if (field->maxLength() <= 10) values << QString(field->maxLength(), u'0') << QString(field->maxLength(), u'8');
    values.removeDuplicates();
    for (const QString& value : values)
      if (!FieldShowsWhole(*field, value))
        cut.push_back(field->objectName().toStdString() + "=" + value.toStdString() + " (" +
                      std::to_string(TextRoom(*field)) + ")");
  }
  return cut;
}

class FieldsBesideLongEntries : public ListDialogs, public ::testing::WithParamInterface<int> {};

// Shown as the user sees it, the dialog with its widest entry chosen: no field cut, the entry
// whole, the window within a screen of 1024 by 768.
TEST_P(FieldsBesideLongEntries, ShowTheirValuesWhole) {
  Opened o = Open(GetParam());
  ui::Dialog& dialog = *o.dialog;
  std::vector<std::string> cut;
  bool entryWhole = false;
  QSize size;
  RunAsUser(dialog, [&] {
    auto* list = dialog.findChild<QComboBox*>(QString::number(o.list));
    int widest = 0;
    for (int k = 1; k < list->count(); ++k)
      if (list->fontMetrics().horizontalAdvance(list->itemText(k)) >
          list->fontMetrics().horizontalAdvance(list->itemText(widest)))
        widest = k;
    list->setCurrentIndex(widest);
    emit list->activated(widest);
    QCoreApplication::processEvents();
    cut = CutFields(dialog);
    entryWhole = !list->isEditable() || FieldShowsWhole(*list->lineEdit(), list->currentText());
    size = dialog.frameGeometry().size();
    dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
  });
  EXPECT_EQ(cut, std::vector<std::string>());
  EXPECT_TRUE(entryWhole);
  EXPECT_LE(size.width(), 1024);
  EXPECT_LE(size.height(), 768);
}

INSTANTIATE_TEST_SUITE_P(Table, FieldsBesideLongEntries,
                         ::testing::Values(115, 122, 129, 131, 136, 140, 152, 153, 155));

// A new trip's head (every number 0, the contract "0000") and one of lengths of five digits:
// each field of the trip head shows its value whole beside the authority list.
TEST_F(ListDialogs, TripHeadFieldsShowTheirValues) {
  const TripHead read{"C2", "L7", 'A', "P1", 10000, 0, 61664, 95, 61664, 95, "Scolastica", 'X', "-1", "-1"};
  for (const TripHead& head : {TripHead{}, read}) {
    TripHeadDialog dialog(nullptr, db.get(), head, false, {}, 122);
    std::vector<std::string> texts, cut;
    RunAsUser(dialog, [&] {
      for (int id : {trip_head::kContract, trip_head::kLength, trip_head::kContractLength})
        texts.push_back(dialog.findChild<QLineEdit*>(QString::number(id))->text().toStdString());
      cut = CutFields(dialog);
      dialog.findChild<QPushButton*>(QStringLiteral("2"))->click();
    });
    EXPECT_EQ(texts, head.length ? std::vector<std::string>({"0000", "61664", "61664"})
                                 : std::vector<std::string>({"0000", "0", "0"}));
    EXPECT_EQ(cut, std::vector<std::string>());
  }
}

}  // namespace
