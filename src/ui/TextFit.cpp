#include "ui/TextFit.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>

namespace {

constexpr double kSmallest = 0.8;
constexpr double kStep = 0.25;  // points

bool Fits(const QWidget& control, const QFontMetrics& metrics) {
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    if (label->text().isEmpty())
      return true;
    if (!label->wordWrap())
      return metrics.horizontalAdvance(label->text()) <= label->contentsRect().width();
    const QRect needed = metrics.boundingRect(QRect(0, 0, label->contentsRect().width(), 100000),
                                              Qt::TextWordWrap, label->text());
    return needed.height() <= label->contentsRect().height();
  }
  if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
    const QStyle* style = box->style();
    const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
    return indicator + metrics.horizontalAdvance(box->text()) <= box->width();
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&control))
    return metrics.horizontalAdvance(group->title()) <= group->width();
  return true;
}

bool AllFit(const QWidget& window, const QFont& font) {
  const QFontMetrics metrics(font);
  for (const QWidget* control : window.findChildren<QWidget*>()) {
    if (!Fits(*control, metrics))
      return false;
  }
  return true;
}

}  // namespace

void FitTextToLayout(QWidget& window) {
  QFont font = window.font();
  const double size = font.pointSizeF();
  if (size <= 0)
    return;
  for (double points = size; points >= size * kSmallest; points -= kStep) {
    font.setPointSizeF(points);
    if (AllFit(window, font))
      break;
  }
  window.setFont(font);
}
