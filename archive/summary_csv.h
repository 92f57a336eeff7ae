#pragma once

#include <string>
#include <vector>

#include "archive/day_figures.h"

// The summary's CSV: UTF-8 with a byte-order mark, a header row, one row per
// day: file (U+FFFD in place of bytes that are not UTF-8), mode digit,
// station, date, then each panel's value, label and mark in columns of their
// own.
namespace skyrill {

std::string summaryCsv(const std::vector<SummaryRow>& rows);
// The header and a row's cells, as the CSV writes them.
std::vector<std::string> summaryHeader();
std::vector<std::string> summaryCells(const SummaryRow& row);
// The same CSV a piece at a time: the byte-order mark with the header row,
// then one line per row.
std::string summaryCsvHead();
std::string summaryCsvLine(const SummaryRow& row);

}  // namespace skyrill
