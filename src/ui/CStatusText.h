#pragma once

#include <QLabel>

/// A centred, sunken line of status text that reports clicks. In its note state it is drawn in
/// its note colours with the word "HELLO" in its top-left corner.
class CStatusText final : public QLabel {
  Q_OBJECT

 public:
  explicit CStatusText(QWidget* parent = nullptr);

  /// Shows the text with its lines as they are: a font wider than the one the control was sized
  /// for is made just small enough for the longest line to fit.
  void SetText(const QString& text);
  /// Switches between the normal look (dark blue text on the window) and the note look.
  void SetNote(bool note);
  bool IsNote() const { return m_note; }

 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitText();

  bool m_note = false;
};
