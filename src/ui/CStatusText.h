#pragma once

#include <QLabel>

/// A centred, sunken status text that reports clicks, in dark blue on the window or, as a note,
/// in cream on navy. The text keeps its lines and wraps a line too long for the control; the
/// font is made just small enough for all of it to fit, so nothing is clipped.
class CStatusText final : public QLabel {
  Q_OBJECT

 public:
  explicit CStatusText(QWidget* parent = nullptr);

  void SetText(const QString& text);
  /// Switches between the normal look (dark blue text on the window) and the note look.
  void SetNote(bool note);
  bool IsNote() const { return m_note; }

  /// The font the text is drawn in: the dialog's, or the largest smaller one at which the text
  /// fits the control.
  QFont TextFont() const;
  /// Where the text is drawn, inside the frame.
  QRect TextRect() const;
  static constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool m_note = false;
};
