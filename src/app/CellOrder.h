#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a list orders its rows by one column's texts.
//
// Texts are trimmed (and end at a NUL byte); an empty one compares as text. Otherwise the first
// text of a pair decides: a whole number compares both by their leading numeric value, a date
// (in the user's locale) compares by time when the other text is one too, and anything else
// compares byte by byte, capitals first. Only the first text choosing makes a mixed column no
// consistent order; the sort stays safe with it.

/// Gives the text of cell `index`: a view of bytes that stay put during the sort, or of `scratch`.
using CellTextReader = std::function<std::string_view(size_t index, std::string& scratch)>;

/// The order of `count` cells: position p of the result holds the index of the cell that goes
/// there. Each cell's text is read, and its number and date worked out, once. Equal cells keep
/// their order.
std::vector<int32_t> SortCells(size_t count, const CellTextReader& cellText, bool ascending);

/// The ordering of one pair of cells in ascending order: -1, 0 or 1.
int CompareCells(std::string_view a, std::string_view b);

/// Decimal digits, optionally after a "+" or "-" that is not the whole text.
bool IsWholeNumber(std::string_view text);
