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

    // A holder whose CPF begins with three blanks was deleted on the agency's
    // side: the record brings no holder and no advisor.
    bool keepsHolder() const { return !cpf.startsWith(QStringLiteral("   ")); }
    // The same for the advisor: an advisor CPF that begins with three blanks
    // (all blanks when the holder had none) brings no advisor, and its holder
    // gets no advisor number; the verification then names the holder.
    bool hasAdvisor() const { return !cpfOrientador.startsWith(QStringLiteral("   ")); }
};

// The previous year's submission file, in its older layout: a 191-character
// header, then 517-character holder records up to the physical end of the
// file or a Ctrl+Z after the last record. Characters are single bytes in
// Windows-1252; CR and LF are ordinary characters inside the fixed counts.
// The whole file is taken in and checked before anything is stored, so a file
// that cannot be read changes nothing.
//
// Every value is read by position, as it stands: a birth date that is no
// date, a sex other than F or M, a degree other than 3 or 4, a CPF with
// blanks among its digits are all read, and the verification names them.
// Refused, naming the line, is only what no writer of the format puts in a
// file: a character other than a digit or a blank in a digit slot (the CPFs,
// the area code, the institution number; a quota group gives the run-time's
// conversion error), NUL bytes, the five bytes Windows-1252 leaves without a
// character, a record that does not end with the header's line end (a copy
// whose CR LF became LF alone is read with lines one character shorter), a
// Ctrl+Z followed by a record's worth of data, a file that ends inside a
// record (an incomplete copy), and two records of one holder CPF.
class RecoveryFile {
public:
    static constexpr int kHeaderSize = 191;
    static constexpr int kRecordSize = 517;
    static constexpr char kEndOfFile = 0x1A;

    // Values every imported holder gets, whatever its record says.
    static QString demanda();  // "99/97"
    static QString situacao(); // "Excluído"

    // Takes the file's bytes; throws plat::Error (Input) when the header is
    // incomplete, a quota group is not a number, or the file holds what no
    // writer of the format puts in it (see above).
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

    // The pieces of the decoding, for the tests and the tools.
    static int quotaGroup(QStringView threeChars); // throws plat::Error (Input)
    static QDate birthDate(QStringView mmddyy, const QDate& today);
    static QString degreeCode(QChar code); // '3' -> "M", '4' -> "D"
    static QString projectTitle(QStringView slot);

private:
    QString text(qsizetype offset, int width) const; // decoded, blanks at the right dropped
    QString raw(qsizetype offset, int width) const;  // decoded as it stands
    QByteArray headerLineEnd() const;                // CR LF, LF, or empty for none
    qsizetype recordOffset(int i) const { return m_headerSize + qsizetype(i) * m_recordSize; }
    void checkRecordBounds(int i, const QByteArray& lineEnd) const;
    void checkDigits(qsizetype offset, int width, const char* slot, int skip1 = -1, int skip2 = -1) const;
    void checkRecordDigits(int i) const;
    void checkEnd() const;
    void checkRepeatedHolders() const;
    void checkEndMark(qsizetype mark, const QByteArray& afterMark) const;
    void checkCharacters() const;
    QString where(qsizetype offset) const; // "na linha N (...), posição P"

    QByteArray m_bytes; // up to the end-of-file mark
    RecoveryInstitution m_institution;
    int m_headerSize = kHeaderSize;
    int m_recordSize = kRecordSize;
    int m_records = 0;
};

} // namespace zelta
