#include "ui/DialogLayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "ui/CDialogUnits.h"

namespace {

constexpr char kIdProperty[] = "controlId";
constexpr int kTwoLines = 16;  // dialog units

QPushButton* MakeButton(const QString& text, QWidget& parent, ControlKind kind) {
  auto* button = new QPushButton(text, &parent);
  if (kind == ControlKind::DefaultPushButton)
    button->setDefault(true);
  if (kind == ControlKind::FlatButton) {
    button->setFlat(true);
    button->setAutoDefault(false);
  }
  return button;
}

QWidget* MakeWidget(const ControlRow& row, QWidget& parent) {
  const QString text = QString::fromUtf8(row.text);
  switch (row.kind) {
    case ControlKind::Label:
    case ControlKind::SunkenLabel: {
      auto* label = new QLabel(text, &parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(row.kind == ControlKind::Label && row.height >= kTwoLines);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      if (row.kind == ControlKind::SunkenLabel) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      }
      return label;
    }
    case ControlKind::Edit:
    case ControlKind::ReadOnlyEdit: {
      auto* edit = new QLineEdit(text, &parent);
      if (row.kind == ControlKind::ReadOnlyEdit) {
        edit->setReadOnly(true);
        // On the dialog's ground rather than an edit's, so that it does not look editable.
        QPalette colours = edit->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
          colours.setBrush(group, QPalette::Base, colours.brush(group, QPalette::Window));
        edit->setPalette(colours);
      }
      return edit;
    }
    case ControlKind::MultiLineEdit: {
      // As in any dialog, Tab moves on to the next control; the edit wants only Return.
      auto* edit = new QPlainTextEdit(text, &parent);
      edit->setTabChangesFocus(true);
      return edit;
    }
    case ControlKind::DropDownList:
    case ControlKind::DropDownCombo: {
      auto* box = new QComboBox(&parent);
      box->setEditable(row.kind == ControlKind::DropDownCombo);
      // The box holds what was typed: completing it from the list would show one text and store
      // another.
      if (box->isEditable())
        box->setCompleter(nullptr);
      return box;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(text, &parent);
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::FlatButton:
      return MakeButton(text, parent, row.kind);
    case ControlKind::GroupBox:
      return new QGroupBox(text, &parent);
    case ControlKind::EtchedLine: {
      auto* line = new QFrame(&parent);
      line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
      return line;
    }
    case ControlKind::Slider:
      return new QSlider(Qt::Horizontal, &parent);
    case ControlKind::ListBox: {
      auto* list = new QListWidget(&parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
  }
  return new QWidget(&parent);
}

QWidget* CreateWithUnits(QWidget& parent, const ControlRow& row, const CDialogUnits& units,
                         int top) {
  QWidget* control = MakeWidget(row, parent);
  control->setObjectName(QString::fromUtf8(row.objectName));
  control->setProperty(kIdProperty, row.id);
  QRect rect = units.ToPixels(row.x, row.y, row.width, row.height).translated(0, top);
  // A line one dialog unit high can round to a single pixel, too thin for its two shades.
  if (row.kind == ControlKind::EtchedLine)
    rect.setHeight(std::max(rect.height(), 2));
  // A drop-down list's height counts its open list; closed it is as high as the style makes it.
  if (row.kind == ControlKind::DropDownList || row.kind == ControlKind::DropDownCombo)
    rect.setHeight(std::min(rect.height(), control->sizeHint().height()));
  control->setGeometry(rect);
  return control;
}

}  // namespace

QWidget* CreateControl(QWidget& parent, const ControlRow& row, int top) {
  return CreateWithUnits(parent, row, CDialogUnits(), top);
}

std::vector<QWidget*> CreateControls(QWidget& parent, std::span<const ControlRow> rows, int top) {
  const CDialogUnits units;
  std::vector<QWidget*> controls;
  controls.reserve(rows.size());
  for (const ControlRow& row : rows)
    controls.push_back(CreateWithUnits(parent, row, units, top));
  return controls;
}

int ControlId(const QWidget& control) {
  const QVariant id = control.property(kIdProperty);
  return id.isValid() ? id.toInt() : -1;
}
