#include "dialogs/ReportOptionsDialog.h"

#include "common/Cp1252.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace {

QWidget* Framed(QWidget* parent, const std::string& title, QLayout* inner) {
  if (title.empty()) {
    auto* plain = new QWidget(parent);
    plain->setLayout(inner);
    return plain;
  }
  auto* box = new QGroupBox(cp1252::ToQString(title), parent);
  box->setLayout(inner);
  return box;
}

}  // namespace

QWidget* ReportOptionsDialog::AddRadioGroup(const std::string& title, std::vector<Choice> choices) {
  auto* layout = new QVBoxLayout;
  const size_t first = options_.size();
  for (const Choice& c : choices) {
    QRadioButton* radio = MakeRadio(c.id, c.label);
    layout->addWidget(radio);
    options_.push_back({Kind::Radio, c.id, c.member, {}, {}});
    for (const Choice& other : choices) options_.back().group.push_back(other.id);
  }
  QWidget* frame = Framed(this, title, layout);
  for (size_t k = first; k < options_.size(); ++k) {
    const Option option = options_[k];
    connect(Button(option.id), &QAbstractButton::clicked, this, [this, option] { Clicked(option); });
  }
  return frame;
}

QWidget* ReportOptionsDialog::AddRangeBox(Choice box, std::vector<std::pair<int, const char*>> fields, int limit) {
  auto* layout = new QVBoxLayout;
  layout->addWidget(MakeCheck(box.id, box.label));
  auto* form = new QFormLayout;
  Option option{Kind::Range, box.id, box.member, {}, {}};
  for (const auto& [id, label] : fields) {
    form->addRow(MakeLabel(label), MakeEdit(id, limit));
    option.covered.push_back(id);
  }
  layout->addLayout(form);
  options_.push_back(option);
  connect(Button(box.id), &QAbstractButton::clicked, this, [this, option] { Clicked(option); });
  return Framed(this, {}, layout);
}

QWidget* ReportOptionsDialog::AddAnyCodeBox(Choice box, int comboId) {
  QCheckBox* check = MakeCheck(box.id, box.label);
  const Option option{Kind::AnyCode, box.id, box.member, {}, {comboId}};
  options_.push_back(option);
  connect(check, &QAbstractButton::clicked, this, [this, option] { Clicked(option); });
  return check;
}

QWidget* ReportOptionsDialog::AddPlainBox(Choice box) {
  QCheckBox* check = MakeCheck(box.id, box.label);
  const Option option{Kind::Plain, box.id, box.member, {}, {}};
  options_.push_back(option);
  connect(check, &QAbstractButton::clicked, this, [this, option] { Clicked(option); });
  return check;
}

bool ReportOptionsDialog::OnInitDialog() {
  ShowMembers();
  for (const Option& option : options_)
    if (option.kind == Kind::Range || option.kind == Kind::AnyCode) Cover(option, option.kind == Kind::Range);
  return true;
}

void ReportOptionsDialog::ShowMembers() {
  for (const Option& option : options_)
    if (QAbstractButton* button = Button(option.id)) button->setChecked(*option.member != 0);
}

void ReportOptionsDialog::Cover(const Option& option, bool clear) {
  const bool on = *option.member != 0;
  for (int id : option.covered) {
    if (QWidget* field = Control(id)) {
      if (on && clear) SetControlText(id, {});
      field->setEnabled(!on);
    }
  }
}

void ReportOptionsDialog::Clicked(const Option& option) {
  switch (option.kind) {
    case Kind::Radio:
      for (const Option& other : options_)
        if (other.kind == Kind::Radio && other.group == option.group) *other.member = other.id == option.id ? 1 : 0;
      ShowMembers();
      return;
    case Kind::Range:
      *option.member = !*option.member;
      Cover(option, true);
      break;
    case Kind::AnyCode:
      *option.member = !*option.member;
      Cover(option, false);
      break;
    case Kind::Plain: *option.member = !*option.member; break;
  }
  if (QAbstractButton* button = Button(option.id)) button->setChecked(*option.member != 0);
}
