// One keystroke in the patch list's filter field of the window, with 100,000 patches, against a
// bare scan of the same texts: for every patch, the four columns shown (Patch Name, Author,
// Platform, Filename), each held as a string, searched with the C library's case-insensitive
// strcasestr until one contains the typed text. The keystroke includes the window taking the
// key, reading the texts from the records, and the list catching up on screen (offscreen
// platform). Best of five for each; goal: at most 3 times the bare scan. The program exits
// with 1 when it is missed.
#include <strings.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BigDatabase.h"
#include "app/CListPane.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"

namespace {

constexpr int kRuns = 5;
constexpr int kPatches = 100000;

double Millis(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("brindle-bench-filter-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  if (!bench::WriteBigDatabase((folder / "brindle.dat").string(), kPatches, 10000))
    return 1;

  bench::SilentPrompt prompt;
  MainDlgEnvironment env;
  env.appDir = folder.string();
  env.databaseDir = folder.string();
  CMainDlg window(prompt, env);
  if (!window.Initialize(""))
    return 1;
  window.show();
  QApplication::processEvents();
  QLineEdit& field = *window.PatchPane()->Filter();
  const char typed = 'z';

  // The same texts, held as strings.
  std::vector<std::string> texts;
  std::string scratch;
  for (int i = 0; i < kPatches; ++i) {
    for (int column : {0, 1, 3, 4})
      texts.emplace_back(window.PatchCellText(i, column, scratch));
  }
  const char needle[] = {typed, '\0'};
  double bare = 1e300;
  size_t bareMatches = 0;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer timer;
    timer.start();
    size_t matches = 0;
    for (size_t row = 0; row < texts.size(); row += 4) {
      for (size_t column = row; column < row + 4; ++column) {
        if (strcasestr(texts[column].c_str(), needle) != nullptr) {
          ++matches;
          break;
        }
      }
    }
    bare = std::min(bare, Millis(timer));
    bareMatches = matches;
  }

  double keystroke = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    field.clear();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QString(typed));
    QApplication::sendEvent(&field, &press);
    QApplication::processEvents();
    keystroke = std::min(keystroke, Millis(timer));
  }
  const int shown = window.PatchList()->GetRowCount();
  std::filesystem::remove_all(folder);
  if (static_cast<size_t>(shown) != bareMatches) {
    std::fprintf(stderr, "the filter shows %d rows, the scan found %zu\n", shown, bareMatches);
    return 1;
  }
  const double ratio = keystroke / bare;
  std::printf(
      "typing \"%c\" over %d patches (%d shown): %.2f ms; bare scan %.2f ms: ratio %.2f "
      "(goal <= 3)\n",
      typed, kPatches, shown, keystroke, bare, ratio);
  return ratio <= 3.0 ? 0 : 1;
}
