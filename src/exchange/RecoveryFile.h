#pragma once

#include "platform/system/Error.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>

namespace zelta {

// The institution as the header of the previous-year file gives it, in the
// form ZELTAINT stores it.
struct RecoveryInstitution {
    QString numero; // NNNNNN/NN-N without its separators
    QString nome;
    QString sigla; // at most 10 characters
    int cotas = 0; // the two quota groups added
};

// One holder record of the previous-year file, decoded into the values the
// tables store: CPFs in the form ddd.ddd.ddd-dd, texts without the blanks that
// pad their slot, the degree as 'M', 'D' or empty, the project title trimmed
// and cut to its field.
struct RecoveryRecord {
    // Holder (ZELTABOL)
    QString cpf;
    QString nome;
    QString sexo;
    QDate nascimento; // invalid when the file's date does not convert
    QString processo;
    QString seguroSaude;
    QString codigoAgencia;
    QString contaBanco;
    QString cpfOrientador;
    // Advisor (ZELTAORI)
    QString nomeOrientador;
    QString titulacao;
    QString titulo;
    QString chave1;
    QString chave2;
    QString chave3;
    QString codArea;

    // A holder whose CPF digits are blanks was deleted on the agency's side:
    // the record brings no holder and no advisor. (The file refuses a slot
    // that mixes digits and blanks.)
    bool keepsHolder() const { return !cpf.startsWith(QStringLiteral("   ")); }
    // The same for the advisor: a record whose advisor CPF is blank brings no
    // advisor, and its holder gets no advisor number.
    bool hasAdvisor() const { return !cpfOrientador.startsWith(QStringLiteral("   ")); }
};

// The previous year's submission file, in its older layout: a 191-character
// header, then 517-character holder records up to the physical end of the
// file or a Ctrl+Z after the last record. Characters are single bytes in
// Windows-1252; CR and LF are ordinary characters inside the fixed counts.
// The whole file is taken in and checked before anything is stored, so a file
// that cannot be read changes nothing.
//
// Nothing is read out of position: a file with NUL bytes is refused; when the
// header ends with a line end, every record must end with the same one (a copy
// whose CR LF became LF alone is read with lines one character shorter); and
// a CPF slot that holds anything but 11 digits or 11 blanks, or an area code
// slot anything but 8 digits or 8 blanks, is refused. A Ctrl+Z followed by a
// record's worth of data, and the five bytes that Windows-1252 leaves without
// a character, are refused too; each refusal names the line.
class RecoveryFile {
public:
    static constexpr int kHeaderSize = 191;
    static constexpr int kRecordSize = 517;
    static constexpr char kEndOfFile = 0x1A;

    // Values every imported holder gets, whatever its record says.
    static QString demanda();  // "99/97"
    static QString situacao(); // "Excluído"

    // Takes the file's bytes; throws plat::Error (Input) when the header is
    // incomplete, a quota group is not a number, the data would be read out
    // of position, or a byte stands for no character.
    explicit RecoveryFile(QByteArray bytes);
    // Reads a file from disk; throws plat::Error (Input) when it cannot be read or
    // is not a regular file (a FIFO or a device is refused before reading).
    static RecoveryFile load(const QString& path);

    const RecoveryInstitution& institution() const { return m_institution; }
    int recordCount() const { return m_records; }
    // Sizes of the header and of a record in this file: kHeaderSize and
    // kRecordSize, one less each when its lines end with LF alone.
    int headerSize() const { return m_headerSize; }
    int recordSize() const { return m_recordSize; }
    // Decodes record i (0-based). A two-digit birth year takes the century
    // that does not put the date after today.
    RecoveryRecord record(int i, const QDate& today) const;
    // Characters after the last complete record that are neither CR nor LF:
    // a record cut short, which is not stored. 0 when the file ends cleanly.
    int incompleteTail() const { return m_incompleteTail; }

    // The pieces of the decoding, for the tests and the tools.
    static int quotaGroup(QStringView threeChars); // throws plat::Error (Input)
    static QDate birthDate(QStringView mmddyy, const QDate& today);
    static QString degreeCode(QChar code); // '3' -> "M", '4' -> "D"
    static QString projectTitle(QStringView slot);

private:
    QString text(qsizetype offset, int width) const; // decoded, blanks at the right dropped
    QString raw(qsizetype offset, int width) const;  // decoded as it stands
    QByteArray headerLineEnd() const;                // CR LF, LF, or empty for none
    void checkRecordBounds(int i, const QByteArray& lineEnd) const;
    void checkEndMark(qsizetype mark, const QByteArray& afterMark) const;
    void checkCharacters() const;
    QString where(qsizetype offset) const; // "na linha N (...), posição P"

    QByteArray m_bytes; // up to the end-of-file mark
    RecoveryInstitution m_institution;
    int m_headerSize = kHeaderSize;
    int m_recordSize = kRecordSize;
    int m_records = 0;
    int m_incompleteTail = 0;
};

} // namespace zelta
