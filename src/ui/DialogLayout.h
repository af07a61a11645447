#pragma once

#include <span>
#include <vector>

class QWidget;

// Dialogs are laid out from tables that read like the layout tables they come from: one row per
// control with its id, kind, object name, text and rectangle in dialog units. For example:
//
//   static constexpr ControlRow kControls[] = {
//       {kIdPatchName, ControlKind::Edit, "PatchName", "", 52, 7, 120, 12},
//       {kIdHeader, ControlKind::CheckBox, "Header", "&Header", 289, 92, 39, 10},
//       {kIdOk, ControlKind::DefaultPushButton, "Ok", "OK", 249, 201, 50, 14},
//   };
//   CreateControls(*this, kControls);
//
// and later, in the dialog or its tests: findChild<QLineEdit*>("PatchName"). The dialog-unit
// conversion is CDialogUnits' (the application's font). Each control also carries its id in the
// "controlId" property (ControlId reads it back); static controls may share an id such as -1.

/// What a table row creates. Widgets in brackets.
enum class ControlKind {
  Label,              // [QLabel] plain text
  SunkenLabel,        // [QLabel] in a sunken panel, text centred vertically
  Edit,               // [QLineEdit]
  MultiLineEdit,      // [QPlainTextEdit]
  ReadOnlyEdit,       // [QLineEdit] read-only, on the dialog's ground
  DropDownList,       // [QComboBox] not editable; the caller adds the items. The height is
                      // that of the open list: closed, it is as high as the style makes it
  DropDownCombo,      // [QComboBox] editable, otherwise as DropDownList
  CheckBox,           // [QCheckBox]
  PushButton,         // [QPushButton]
  DefaultPushButton,  // [QPushButton] the dialog's default button
  FlatButton,         // [QPushButton] flat, never taking Enter for itself
  GroupBox,           // [QGroupBox] titled frame; place it before the controls inside it
  EtchedLine,         // [QFrame] a sunken horizontal line, at least two pixels high
  Slider,             // [QSlider] horizontal
  ListBox,            // [QListWidget] one column of texts, one of them selected at a time
};

/// One row of a layout table. x, y, width and height are dialog units from the top-left corner
/// of the area the controls are placed in. A label two lines high or more wraps its text at word
/// boundaries, as static text does.
struct ControlRow {
  int id;
  ControlKind kind;
  const char* objectName;
  const char* text;
  int x;
  int y;
  int width;
  int height;
};

/// Creates one control as a child of `parent`, shown at its place moved down by `top` pixels
/// (the height of a menu bar above the laid-out area).
QWidget* CreateControl(QWidget& parent, const ControlRow& row, int top = 0);
/// Creates the controls of a table in its order (which is also their tab order); returns them in
/// that order.
std::vector<QWidget*> CreateControls(QWidget& parent, std::span<const ControlRow> rows,
                                     int top = 0);
/// The id a control was created with; -1 for a widget the layout did not create.
int ControlId(const QWidget& control);
