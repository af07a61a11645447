#include "app/CQtPrompt.h"

#include <QMessageBox>

#include "ui/DisplayText.h"

BoxAnswer CQtPrompt::Ask(const BoxRequest& request) {
  QMessageBox box(m_owner);
  box.setWindowTitle(DisplayText(request.title));
  box.setText(DisplayText(request.text));
  box.setTextFormat(Qt::PlainText);
  switch (request.icon) {
    case BoxIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case BoxIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case BoxIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case BoxIcon::Error:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  if (request.buttons == BoxButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return BoxAnswer::Ok;
}
