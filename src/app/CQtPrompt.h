#pragma once

#include "prompt/UserPrompt.h"

class QWidget;

/// Shows the core's boxes as modal message boxes. Without an owner they stand on their own,
/// as the program's diagnostics do.
class CQtPrompt final : public UserPrompt {
 public:
  explicit CQtPrompt(QWidget* owner = nullptr) : m_owner(owner) {}
  BoxAnswer Ask(const BoxRequest& request) override;
  void SetOwner(QWidget* owner) { m_owner = owner; }

 private:
  QWidget* m_owner;
};
