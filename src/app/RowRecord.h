#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One row of a CSortListCtrl: its cell texts (one per column, as bytes; shown decoded as
/// UTF-8) and the caller's item value. Sorting reads the texts; the item value travels with the
/// row so the caller can map a row back to its record whatever the order on screen.
struct RowRecord {
  std::vector<std::string> texts;
  int32_t itemValue = 0;
};
