#pragma once

#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// What the information dialogs share.

/// Gives the lock notice its red on black, centred, hidden until a locked field is changed.
void SetUpLockNotice(QLabel& notice);
/// The field's bytes: the record's own (`original`) when the user left the field alone, so that
/// bytes shown decoded are written back unchanged.
std::string EditedBytes(const QLineEdit& edit, std::string_view original);
std::string EditedBytes(const QPlainTextEdit& edit, std::string_view original);
