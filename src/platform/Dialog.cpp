#include "platform/Dialog.h"

#include "common/Cp1252.h"
#include "common/Formatters.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QValidator>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace ui {
namespace {

// The property of a line edit whose scripted value is put in without its trailing blanks.
constexpr const char* kWithoutTrailingBlanks = "scriptValueWithoutTrailingBlanks";

std::string Name(const Dialog& dialog) { return std::to_string(dialog.Idd()); }

[[noreturn]] void Unanswerable(const Dialog& dialog, const std::string& why) {
  throw UnansweredQuestion("Dialogo " + Name(dialog) + " (" + cp1252::FromQStringLossy(dialog.windowTitle()) +
                           "): " + why);
}

bool ParseIndex(const std::string& text, int& index) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  index = std::stoi(text);
  return true;
}

// Selects the entry at a position of a combo box ("ID#=N"), as the user would pick that row: of
// several entries of one text only the position tells them apart.
void ApplyPosition(Dialog& dialog, const std::string& id, const std::string& value) {
  auto* combo = dialog.findChild<QComboBox*>(QString::fromStdString(id));
  const std::string what = "il controllo " + id;
  if (!combo) Unanswerable(dialog, what + " non è una lista");
  if (!combo->isEnabled()) Unanswerable(dialog, what + " è disabilitato");
  int index = 0;
  if (!ParseIndex(value, index) || index >= combo->count())
    Unanswerable(dialog, what + " non ha la riga " + cp1252::ToUtf8(value));
  combo->setCurrentIndex(index);
  emit combo->activated(index);
  emit combo->textActivated(combo->itemText(index));
}

// A text the edit field would cut to its limit or its typing rule would change is not what the
// answer asked for: the run ends rather than go on with another value.
void RequireWhole(Dialog& dialog, const std::string& what, const QLineEdit& edit, const QString& text,
                  const std::string& value) {
  if (text.size() > edit.maxLength())
    Unanswerable(dialog,
                 what + " accetta al più " + CharactersText(edit.maxLength()) + ": \"" + cp1252::ToUtf8(value) + "\"");
  if (const QValidator* rule = edit.validator()) {
    QString typed = text;
    int at = static_cast<int>(typed.size());
    if (rule->validate(typed, at) == QValidator::Invalid || typed != text)
      Unanswerable(dialog, what + " non accetta \"" + cp1252::ToUtf8(value) + "\"");
  }
}

// Puts one scripted value into its control, as the user would. Only a text typed into a field
// keeps the value's trailing blanks: a date, an entry of a list, a position, a button's 1 or 0, a
// command and a grid's row are read without them.
void Apply(Dialog& dialog, const std::string& id, const std::string& typed) {
  const std::string value(WithoutTrailingBlanks(typed));
  if (!id.empty() && id.back() == '#') return ApplyPosition(dialog, id.substr(0, id.size() - 1), value);
  QWidget* control = dialog.findChild<QWidget*>(QString::fromStdString(id));
  const std::string what = "il controllo " + id;
  int commandId = 0;
  if (!control && value == "1" && ParseIndex(id, commandId)) {
    std::string why;
    if (dialog.RunMenuCommand(commandId, why)) return;
    if (!why.empty()) Unanswerable(dialog, "il comando " + id + " " + why);
  }
  if (!control) Unanswerable(dialog, what + " non esiste");
  if (!control->isEnabled()) Unanswerable(dialog, what + " è disabilitato");
  const QString text = cp1252::ToQString(typed);

  if (auto* target = dynamic_cast<ScriptTarget*>(control)) {
    std::string why;
    if (!target->ApplyScriptValue(value, why)) Unanswerable(dialog, what + ": " + why);
    return;
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    if (edit->isReadOnly()) Unanswerable(dialog, what + " è in sola lettura");
    const bool trimmed = edit->property(kWithoutTrailingBlanks).toBool();
    const QString entered = trimmed ? cp1252::ToQString(value) : text;
    RequireWhole(dialog, what, *edit, entered, trimmed ? value : typed);
    edit->setText(entered);
    emit edit->textEdited(edit->text());
    return;
  }
  if (auto* combo = qobject_cast<QComboBox*>(control)) {
    // An entry by its text only (as given, else without its trailing blanks): a position is
    // written "ID#=N".
    int index = combo->findText(text, Qt::MatchExactly);
    if (index < 0) index = combo->findText(cp1252::ToQString(value), Qt::MatchExactly);
    if (index < 0 && combo->isEditable()) {
      RequireWhole(dialog, what, *combo->lineEdit(), text, typed);
      combo->setEditText(text);
      return;
    }
    if (index < 0) Unanswerable(dialog, what + " non ha la voce \"" + cp1252::ToUtf8(value) + "\"");
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    emit combo->textActivated(combo->itemText(index));
    return;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    if (value != "1" && value != "0") Unanswerable(dialog, what + " accetta solo 1 o 0");
    const bool wanted = value == "1";
    // A push button's or a radio button's 1 is a click, on a radio button already checked too
    // (which may switch a choice of two); a check box is set to the state given.
    if (qobject_cast<QPushButton*>(button) || (wanted && qobject_cast<QRadioButton*>(button))) {
      if (wanted) button->click();
    } else if (button->isChecked() != wanted) {
      if (!wanted && qobject_cast<QRadioButton*>(button))
        Unanswerable(dialog, what + " si spegne scegliendo un altro pulsante del gruppo");
      button->click();
    }
    return;
  }
  Unanswerable(dialog, what + " non accetta valori");
}

// Records the dialog and takes its answer.
Answer TakeAnswer(Dialog& dialog, Script& script) {
  script.Record("DIALOG\t" + Name(dialog) + "\t" + TranscriptText(cp1252::FromQStringLossy(dialog.windowTitle())));
  if (!script.HasAnswer()) Unanswerable(dialog, "nessuna risposta");
  const Answer& next = script.Peek();
  if (next.value != Name(dialog) || (next.kind != Answer::Kind::Dialog && next.kind != Answer::Kind::DialogCancel))
    Unanswerable(dialog, "la risposta successiva non è per questo dialogo");
  return script.Take();
}

}  // namespace

void ScriptValueWithoutTrailingBlanks(QLineEdit* edit) { edit->setProperty(kWithoutTrailingBlanks, true); }

void ShowEntriesWhole(QComboBox* combo) {
  QAbstractItemView* list = combo->view();
  const QFontMetrics metrics(list->font());
  int widest = 0;
  for (int k = 0; k < combo->count(); ++k) {
    const QString entry = combo->itemText(k);
    qsizetype end = entry.size();
    while (end > 0 && entry[end - 1] == u' ') --end;
    // The width the list gives the entry, less that of its trailing blanks.
    const int blanks = metrics.horizontalAdvance(entry) - metrics.horizontalAdvance(entry.left(end));
    widest = std::max(widest, list->sizeHintForIndex(combo->model()->index(k, combo->modelColumn())).width() - blanks);
  }
  // The list's frame and its scroll bar; an entry's trailing blanks are cut, never its text.
  list->setTextElideMode(Qt::ElideNone);
  list->setMinimumWidth(widest + 2 * list->frameWidth() +
                        list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list));
  if (QLineEdit* field = combo->lineEdit())
    QObject::connect(combo, &QComboBox::currentIndexChanged, field, [field] { field->setCursorPosition(0); });
}

Dialog::Dialog(QWidget* parent, int idd, const std::string& caption) : QDialog(parent), idd_(idd), caption_(caption) {
  setObjectName(QString::number(idd));
  setWindowTitle(cp1252::ToQString(caption));
  setModal(true);
}

int Dialog::DoModal() { return RunDialog(*this); }

void Dialog::EndDialog(int result) { done(result); }

void Dialog::done(int result) {
  ended_ = true;
  result_ = result;
  QDialog::done(result);
}

QWidget* Dialog::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }
QLineEdit* Dialog::Edit(int id) const { return qobject_cast<QLineEdit*>(Control(id)); }
QComboBox* Dialog::Combo(int id) const { return qobject_cast<QComboBox*>(Control(id)); }
QAbstractButton* Dialog::Button(int id) const { return qobject_cast<QAbstractButton*>(Control(id)); }

QLabel* Dialog::MakeLabel(const std::string& text) { return new QLabel(cp1252::ToQString(text), this); }

QLineEdit* Dialog::MakeEdit(int id, int limit) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(QString::number(id));
  if (limit > 0) edit->setMaxLength(limit);
  return edit;
}

QComboBox* Dialog::MakeCombo(int id, bool editable) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::number(id));
  combo->setEditable(editable);
  if (editable) {
    combo->setInsertPolicy(QComboBox::NoInsert);
    // What is typed stays as typed: Qt's completer would finish "17" as the first entry beginning
    // so ("1700 - ..."), and Return or OK would then take that entry for the code 17. Without a
    // completer, Return picks only an entry of exactly the text typed.
    combo->setCompleter(nullptr);
  }
  combo->setMaxVisibleItems(20);
  return combo;
}

QCheckBox* Dialog::MakeCheck(int id, const std::string& label) {
  auto* box = new QCheckBox(cp1252::ToQString(label), this);
  box->setObjectName(QString::number(id));
  return box;
}

QRadioButton* Dialog::MakeRadio(int id, const std::string& label) {
  auto* radio = new QRadioButton(cp1252::ToQString(label), this);
  radio->setObjectName(QString::number(id));
  return radio;
}

QDialogButtonBox* Dialog::MakeOkCancel() {
  auto* box = new QDialogButtonBox(this);
  QPushButton* ok = box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = box->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
  ok->setObjectName(QString::number(IDOK));
  cancel->setObjectName(QString::number(IDCANCEL));
  ok->setDefault(true);
  connect(box, &QDialogButtonBox::accepted, this, [this] { accept(); });
  connect(box, &QDialogButtonBox::rejected, this, [this] { reject(); });
  return box;
}

void Dialog::SetControlText(int id, const std::string& text) {
  const QString q = cp1252::ToQString(text);
  if (QLineEdit* edit = Edit(id))
    edit->setText(q);
  else if (QComboBox* combo = Combo(id); combo && combo->isEditable())
    combo->setEditText(q);
  RememberShown(id);
}

namespace {
QString ControlText(const QWidget* control) {
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
  if (const auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
  return {};
}
}  // namespace

void Dialog::RememberShown(int id) { shown_[id] = ControlText(Control(id)); }

void Dialog::WillShow(std::initializer_list<int> ids, const std::string& text) {
  const QLineEdit* edit = ids.size() ? Edit(*ids.begin()) : nullptr;
  if (!edit) return;
  const QString q = cp1252::ToQString(text);
  const int width = edit->fontMetrics().horizontalAdvance(q);
  for (int id : ids)
    if (auto& widest = coming_[id]; width > widest.second) widest = {q, width};
}

bool Dialog::LeftAsShown(int id) const {
  const auto it = shown_.find(id);
  return it != shown_.end() && it->second == ControlText(Control(id));
}

bool Dialog::ReadControlText(int id, std::string& out) {
  QString text;
  if (QLineEdit* edit = Edit(id))
    text = edit->text();
  else if (QComboBox* combo = Combo(id))
    text = combo->currentText();
  // A C1 control (U+0080 to U+009F) is refused as a character the code page lacks: five of them
  // would be its undefined bytes, which no file of the program carries.
  const auto refused = [](QChar ch) {
    unsigned char byte = 0;
    return (ch.unicode() >= 0x80 && ch.unicode() <= 0x9F) || !cp1252::FromUnicode(ch.unicode(), byte);
  };
  const auto at = std::find_if(text.cbegin(), text.cend(), refused);
  if (cp1252::FromQString(text, out) && at == text.cend()) return true;
  const QChar bad = *at;
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad.unicode()));
  Refuse(std::string("ATTENZIONE: il testo immesso contiene un carattere (") + code +
             ") che Quendo non è in grado di registrare.\n\n"
             "Sono ammessi solo i caratteri dell'alfabeto latino dell'Europa occidentale.\n\n"
             "Correggere il testo e confermare di nuovo.",
         id);
  return false;
}

void Dialog::Refuse(const std::string& message, int focusId) {
  MessageBox(message, MB_ICONSTOP);
  if (QWidget* control = focusId ? Control(focusId) : nullptr) {
    control->setFocus();
    if (QLineEdit* edit = Edit(focusId)) edit->selectAll();
  }
}

int TitleWidth(const QWidget& window) {
  QFont font = QApplication::font();
  font.setBold(true);
  // The icon on the left, the three buttons on the right and the bar's margins, with some room
  // for a window manager's larger title font.
  constexpr int kBarFurniture = 140;
  return QFontMetrics(font).horizontalAdvance(window.windowTitle()) * 11 / 10 + kBarFurniture;
}

namespace {

// The frame round a window, once the window manager has put it there.
std::optional<QMargins> KnownFrame(const QWidget& window) {
  if (!window.isVisible() || window.frameGeometry() == window.geometry()) return std::nullopt;
  const QRect outer = window.frameGeometry(), inner = window.geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                  outer.bottom() - inner.bottom());
}

}  // namespace

QRect InsideScreen(const QWidget& window, const QRect& wanted) {
  std::optional<QMargins> frame = KnownFrame(window);
  if (!frame) {
    // A title bar and borders, no thinner than the frame round the owner's window.
    constexpr int kBorder = 8;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QMargins margin(kBorder, title + kBorder, kBorder, kBorder);
    const QWidget* parent = window.parentWidget();
    const std::optional<QMargins> owner = parent ? KnownFrame(*parent->window()) : std::nullopt;
    frame = owner ? QMargins(std::max(margin.left(), owner->left()), std::max(margin.top(), owner->top()),
                             std::max(margin.right(), owner->right()), std::max(margin.bottom(), owner->bottom()))
                  : margin;
  }
  const QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (!screen) screen = window.screen();
  if (!screen) return wanted;
  const QRect room = screen->availableGeometry().marginsRemoved(*frame);
  const QRect placed(QPoint(std::max(wanted.left(), room.left()), std::max(wanted.top(), room.top())),
                     wanted.size().boundedTo(room.size()));
  return placed.translated(std::min(0, room.right() - placed.right()), std::min(0, room.bottom() - placed.bottom()));
}

namespace {

// A field of at most this many characters holds a number, a date or a short code: it is kept wide
// enough for its longest value, so that the digits it shows are never the last ones of a longer
// number ("664" for 61664).
constexpr int kShortField = 10;

// The least width at which a line edit shows `text` whole with its cursor after it: the text, the
// two pixels the field keeps each side of it, its text margins and its frame, as the style sizes a
// line edit round its contents.
int WidthShowing(const QLineEdit& edit, const QString& text) {
  constexpr int kSideMargin = 2;
  constexpr int kCursor = 1;
  const QMargins margins = edit.textMargins();
  const int inner =
      edit.fontMetrics().horizontalAdvance(text) + kCursor + 2 * kSideMargin + margins.left() + margins.right();
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.contentsRect();
  option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  option.features = QStyleOptionFrame::None;
  return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, edit.height()), &edit).width();
}

// The screen the program needs is 1024 pixels wide; a window on it has a border each side.
constexpr int kScreenWidth = 1024;
constexpr int kWindowBorder = 8;

// The least width of the dialog's layout, measured again once its fields' least widths changed.
int LayoutLeastWidth(const QLayout& layout, Dialog& dialog) {
  for (QWidget* widget : dialog.findChildren<QWidget*>()) widget->updateGeometry();
  for (QLayout* inner : dialog.findChildren<QLayout*>()) inner->invalidate();
  return layout.totalMinimumSize().width();
}

// Gives every field of the dialog (but a combo box's own) a least width that shows the text it
// holds, or the widest it will be given (`coming`), and, for a short field, the widest value of as
// many digits as it takes. Where the dialog would then be wider than the screen, the widest fields
// are held to one width, the greatest at which it still fits.
void KeepFieldsWhole(Dialog& dialog, const std::map<int, std::pair<QString, int>>& coming) {
  struct Field {
    QLineEdit* edit;
    int least, wanted;
  };
  std::vector<Field> fields;
  int widest = 0;
  for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
    if (qobject_cast<QComboBox*>(edit->parentWidget())) continue;
    QString text = edit->text();
    const auto comes = coming.find(edit->objectName().toInt());
    if (comes != coming.end() && comes->second.second > edit->fontMetrics().horizontalAdvance(text))
      text = comes->second.first;
    const int limit = edit->maxLength();
    if (limit > 0 && limit <= kShortField) {
      QChar digit = u'0';
      for (char16_t d = u'1'; d <= u'9'; ++d)
        if (edit->fontMetrics().horizontalAdvance(QChar(d)) > edit->fontMetrics().horizontalAdvance(digit)) digit = d;
      const QString digits(limit, digit);
      if (edit->fontMetrics().horizontalAdvance(digits) > edit->fontMetrics().horizontalAdvance(text)) text = digits;
    }
    const int wanted = WidthShowing(*edit, text);
    if (edit->minimumWidth() >= wanted || edit->maximumWidth() < wanted) continue;
    fields.push_back({edit, edit->minimumWidth(), wanted});
    widest = std::max(widest, wanted);
  }
  constexpr int kRoom = kScreenWidth - 2 * kWindowBorder;
  const QLayout* layout = dialog.layout();
  // Each field at most `most` wide (never narrower than it was): the dialog's least width then.
  const auto widen = [&](int most) {
    for (const Field& f : fields) f.edit->setMinimumWidth(std::max(f.least, std::min(f.wanted, most)));
    return layout ? LayoutLeastWidth(*layout, dialog) : 0;
  };
  if (widen(layout ? widest : kRoom) <= kRoom) return;
  int fits = 0, wide = widest;
  while (wide - fits > 1) {
    const int most = (fits + wide) / 2;
    (widen(most) <= kRoom ? fits : wide) = most;
  }
  widen(fits);
}

}  // namespace

int RunDialog(Dialog& dialog) {
  dialog.ended_ = false;
  dialog.result_ = IDCANCEL;
  Script* script = Script::Current();
  if (!script && !CanShowWindows()) Unanswerable(dialog, "nessuna risposta possibile senza schermo");
  if (!dialog.OnInitDialog()) return IDCANCEL;
  KeepFieldsWhole(dialog, dialog.coming_);
  // A title cut short hides which report or assignment is open. The least width set here takes the
  // place of the layout's, which keeps every control whole, each field showing its value: the
  // window is no narrower than either (a window first shown is held to two thirds of the screen,
  // squeezing its controls otherwise).
  int least = TitleWidth(dialog);
  if (const QLayout* layout = dialog.layout()) least = std::max(least, layout->totalMinimumSize().width());
  if (dialog.minimumWidth() < least && dialog.maximumWidth() >= least) dialog.setMinimumWidth(least);
  if (!script) {
    ArrowCursorWhileShown arrow;
    dialog.exec();
    return dialog.ended_ ? dialog.result_ : IDCANCEL;
  }
  const Answer answer = TakeAnswer(dialog, *script);
  if (answer.kind == Answer::Kind::DialogCancel) {
    dialog.OnScriptCancel();
    return dialog.ended_ ? dialog.result_ : IDCANCEL;
  }
  for (const auto& [id, value] : answer.controls) {
    if (dialog.ended_) Unanswerable(dialog, "valori dati dopo la chiusura del dialogo");
    Apply(dialog, id, value);
  }
  if (!dialog.ended_) dialog.OnScriptEnd();  // a clicked button may have ended it already
  if (!dialog.ended_) Unanswerable(dialog, "i valori della risposta non sono stati accettati");
  return dialog.result_;
}

}  // namespace ui
