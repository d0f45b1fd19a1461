#pragma once

#include "exchange/RecoveryFile.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <functional>

namespace zelta {

class TDm_Dados;

struct RecoveryOptions {
    QDate today;                       // the birth years' century; the current date when not set
    QDateTime now;                     // names the backup copy; the current time when not set
    std::function<void(int)> progress; // the gauge: 5, 10, 15, 35, 65 and 100 as the work advances
    bool backup = true;                // copy the database to backups/ before replacing
};

struct RecoveryResult {
    RecoveryInstitution institution;
    int holders = 0;        // holder rows stored
    int advisors = 0;       // advisor rows stored
    int droppedHolders = 0; // records whose holder CPF starts with three blanks
    // Fields of stored holders and advisors that could not be read into a
    // value the completeness verification accepts; it names each of those
    // records once their holders are renewed.
    int unreadBirthDates = 0;     // stored without a birth date, or with one the file cannot carry
    int unreadSexes = 0;          // SEXO neither F nor M
    int unreadDegrees = 0;        // advisors whose degree code is neither 3 nor 4: TITULACAO empty
    QString backupFile;           // the copy of the data replaced; empty when there was nothing to keep
    bool replacedDamaged = false; // the register was damaged: it was kept as backupFile and built anew
};

// The recovery of the previous year's file: reads the whole file, keeps a copy
// of the database, then replaces ZELTAINT, ZELTABOL and ZELTAORI with what the
// file holds, in one transaction. Either the whole file is stored or the
// tables stay as they were and the error is thrown (plat::Error: Input for the
// file, Database for the tables). A register refused as damaged is never
// written into: it is kept among the copies and a new register built from
// the file takes its place.
//
// Every holder comes in as "Excluído" with demand "99/97"; there is one advisor
// for each distinct pair of advisor CPF and project title, and each holder
// points to its advisor's Codigo. The data module's cursors on the three tables
// are closed for the replacement and opened again afterwards if they were open.
// What a recovery would replace, for the question asked before it: the
// institution and how many holders and advisors the register holds.
// `readable` is false when the register could not be counted (a damaged one).
struct RegisterContents {
    bool readable = true;
    QString sigla;
    QString nome;
    int holders = 0;
    int advisors = 0;
    bool holdsPeople() const { return !readable || holders > 0 || advisors > 0; }
};
RegisterContents registerContents(TDm_Dados& dm);

RecoveryResult recuperarDados(TDm_Dados& dm, const QString& filePath, const RecoveryOptions& options = {});

// The sentence that tells how many fields could not be read, for the
// recovery's summary; empty when every field was read.
QString camposNaoLidos(const RecoveryResult& result);
RecoveryResult recuperarDados(TDm_Dados& dm, const RecoveryFile& file, const RecoveryOptions& options = {});

} // namespace zelta
