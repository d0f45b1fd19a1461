#pragma once

#include "exchange/sheets/Sheet.h"

#include <optional>

namespace zelta::sheets {

// What a cell says, as the register stores it; nothing when it cannot be read.
// Each takes an empty cell as an empty value.

// A CPF as ddd.ddd.ddd-dd: eleven digits with or without punctuation, or a
// number or bare digits, whose leading zeros a spreadsheet drops (1234567890
// is 012.345.678-90). The check digits are not looked at here.
std::optional<QString> cpfOf(const Cell& cell);
// A date: a date cell, or a text written day first ("14/03/1979",
// "14/3/79", two-digit years in the last hundred years) or year first
// ("1979-03-14"), either one followed by a time of midnight ("14/03/1979
// 00:00", "1979-03-14 00:00:00", as programs write a date kept with its
// time). An impossible date, or one with another time, is nothing, never a
// guess; so is a bare number.
std::optional<QDate> dateOf(const Cell& cell, const QDate& today);
// A bank branch as a text: a number, or one to three bare digits, is a
// branch number whose leading zeros a spreadsheet dropped, given back to
// its four digits (452 is "0452"); anything else as the cell shows it.
QString agenciaOf(const Cell& cell);
// A cell as text: a whole number without decimals.
QString textOf(const Cell& cell);
// The text shown for a cell in a problem.
QString shownOf(const Cell& cell);

} // namespace zelta::sheets
