#include "dialogs/InfoFields.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "ui/DisplayText.h"

void SetUpLockNotice(QLabel& notice) {
  notice.setAlignment(Qt::AlignCenter);
  QPalette colours = notice.palette();
  colours.setColor(QPalette::WindowText, QColor(255, 0, 0));
  colours.setColor(QPalette::Window, QColor(0, 0, 0));
  notice.setPalette(colours);
  notice.setAutoFillBackground(true);
  notice.hide();
}

std::string EditedBytes(const QLineEdit& edit, std::string_view original) {
  return edit.isModified() ? TextBytes(edit.text(), original) : std::string(original);
}

std::string EditedBytes(const QPlainTextEdit& edit, std::string_view original) {
  return edit.document()->isModified() ? TextBytes(edit.toPlainText(), original)
                                       : std::string(original);
}
