#pragma once

/// The pages of the Options dialog, in the order of its page bar. The main window's commands open
/// the dialog at one of them.
enum OptionsPage : int {
  kPreferencesPage = 0,
  kEmulatorPage = 1,
  kRomOptionsPage = 2,
  kAboutPage = 3,
};
