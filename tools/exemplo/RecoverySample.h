#pragma once

#include <QByteArray>
#include <QString>

namespace zelta::sample {

// Writes files in the previous year's layout (the file the recovery reads):
// a 191-character header and 517-character holder records, Windows-1252.
// Every value is cut or padded with blanks to its slot, so a builder cannot
// shift a later position. The slots the reader skips are filled the way the
// agency's files fill them; each header and record ends with CR LF.

struct OldHeader {
    QString nome;                          // institution name, 75
    QString cgc;                           // 11, skipped by the reader
    QString responsavel;                   // 60, skipped by the reader
    QString numero;                        // 11, as written: NNNNNN/NN-N
    QString sigla;                         // 16
    QString cota1 = QStringLiteral("  0"); // 3 characters each, as written
    QString cota2 = QStringLiteral("  0");
};

struct OldRecord {
    QString cpf;        // 11 digits (blanks for a holder deleted at the agency)
    QString nome;       // 60
    QString sexo;       // 1
    QString nascimento; // 8, month/day/two-digit year: 05/17/78
    QString processo;   // 11
    QString demanda = QStringLiteral("98/01");
    QString situacao = QStringLiteral("NVNV");
    QString seguro;                 // 1
    QString agencia;                // 6
    QString conta;                  // 10
    QString cpfOrientador;          // 11 digits
    QString nomeOrientador;         // 60
    QString titulacao;              // "3" master, "4" doctor
    QString titulo;                 // 255
    QString chave1, chave2, chave3; // 20 each
    QString codArea;                // 8 digits
};

QByteArray headerBytes(const OldHeader& header); // 191 bytes
QByteArray recordBytes(const OldRecord& record); // 517 bytes

// A valid CPF as 11 bare digits, from nine digits (check digits computed).
QString cpfDigits(qint64 nineDigits);

// The 8 bare digits of the knowledge area with this name (as GRANDE_A holds
// it), for area codes that the area table knows. Empty when there is none.
QString areaDigits(const QString& areaName);

// The sample file shipped in resources/exemplo: an invented institution with
// invented holders and advisors, every CPF valid, every field a verification
// asks for filled in, so that a new user can go the whole road with it.
QByteArray sampleFile();

} // namespace zelta::sample
