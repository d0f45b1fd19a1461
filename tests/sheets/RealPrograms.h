#pragma once

#include <QString>
#include <QStringList>

namespace zelta::test {

// The spreadsheet programs the tests have files written and read by: Python
// with openpyxl, and LibreOffice Calc without a display. Empty when absent.
QString pythonWithOpenpyxl();
QString soffice();

// Runs a Python script; returns its standard output, fails the test on an error.
QString runPython(const QString& script, const QStringList& args = {});
// Converts files with LibreOffice into the folder given ("xlsx", "ods", or a
// CSV filter such as "csv:Text - txt - csv (StarCalc):59,34,76,1"), in a
// private profile so that no user setting plays in.
bool convertWithLibreOffice(const QStringList& files, const QString& to, const QString& outDir, const QString& profileDir);

} // namespace zelta::test
