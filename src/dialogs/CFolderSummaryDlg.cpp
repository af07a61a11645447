#include "dialogs/CFolderSummaryDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/CDialogUnits.h"
#include "ui/DisplayText.h"

CFolderSummaryDlg::CFolderSummaryDlg(const std::string& head, const std::string& details,
                                     QWidget* parent)
    : QDialog(parent), m_head(head), m_details(details) {
  CreateWidgets();
  LoadFields();
  ConnectWidgets();
}

void CFolderSummaryDlg::CreateWidgets() {
  setWindowTitle("Add Folder");
  // A list of hundreds of refused files must not make the window taller than the screen: the
  // list scrolls, and the window can be made larger to read it.
  auto* layout = new QVBoxLayout(this);
  m_counts = new QLabel(this);
  m_counts->setObjectName("Counts");
  m_counts->setTextFormat(Qt::PlainText);
  m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_counts);
  m_list = new QPlainTextEdit(this);
  m_list->setObjectName("Details");
  m_list->setReadOnly(true);
  m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(m_list, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  m_ok = new QPushButton("OK", this);
  m_ok->setObjectName("OK");
  m_ok->setDefault(true);
  buttons->addWidget(m_ok);
  layout->addLayout(buttons);
  const CDialogUnits units;
  resize(units.ToPixels(0, 0, m_details.empty() ? 200 : 340, m_details.empty() ? 70 : 220).size());
}

void CFolderSummaryDlg::LoadFields() {
  m_counts->setText(DisplayText(m_head).trimmed());
  m_list->setPlainText(DisplayText(m_details));
  m_list->setVisible(!m_details.empty());
}

void CFolderSummaryDlg::ConnectWidgets() {
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}
