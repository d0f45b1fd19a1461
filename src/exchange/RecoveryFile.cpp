#include "exchange/RecoveryFile.h"

#include "validation/Situacao.h"

#include "exchange/CpfText.h"
#include "platform/system/Cp1252.h"
#include "platform/system/RegularFile.h"

#include <QDir>
#include <QHash>

#include <utility>

namespace zelta {

namespace {

// Header: offset (0-based) and width of each slot that is read.
constexpr int kInstNome = 1, kInstNomeW = 75;
constexpr int kInstNumero = 153, kInstNumeroW = 11;
constexpr int kInstSigla = 164, kInstSiglaW = 16;
constexpr int kQuota1 = 180, kQuota2 = 183, kQuotaW = 3;
constexpr int kSiglaSize = 10;

// Holder record.
constexpr int kCpf = 0, kCpfW = 11;
constexpr int kNome = 11, kNomeW = 60;
constexpr int kSexo = 71;
constexpr int kNascimento = 72, kNascimentoW = 8;
constexpr int kProcesso = 80, kProcessoW = 11;
// 91-95 demand and 96-99 situation are not read: the import sets its own.
constexpr int kSeguro = 100;
constexpr int kAgencia = 101, kAgenciaW = 6;
constexpr int kConta = 107, kContaW = 10;
constexpr int kCpfOri = 117;
constexpr int kNomeOri = 128, kNomeOriW = 60;
constexpr int kTitulacao = 188;
constexpr int kTitulo = 189, kTituloW = 255;
constexpr int kChave1 = 444, kChave2 = 464, kChave3 = 484, kChaveW = 20;
constexpr int kArea = 504, kAreaW = 8;
// 512-516 are not read.

constexpr int kTituloSize = 240;
constexpr qint64 kLargestFile = 512LL * 1024 * 1024;

QString dropTrailingBlanks(QString s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    s.truncate(n);
    return s;
}

// A run of digits with optional leading blanks, as the run-time's integer
// conversion takes it; -1 for anything else.
int smallNumber(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == u' ')
        ++i;
    if (i == s.size())
        return -1;
    int v = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

} // namespace

QString RecoveryFile::demanda() { return QStringLiteral("99/97"); }

QString RecoveryFile::situacao() { return zelta::situacao::excluido; }

RecoveryFile::RecoveryFile(QByteArray bytes) : m_bytes(std::move(bytes))
{
    // Ctrl+Z marks the end of the file's data; whatever follows it is not
    // read, so it may only be what follows the last record.
    const qsizetype end = m_bytes.indexOf(kEndOfFile);
    QByteArray afterMark;
    if (end >= 0) {
        afterMark = m_bytes.mid(end + 1);
        m_bytes.truncate(end);
    }
    // A mark inside the header is judged before the header is found short,
    // so that records after it are reported as such.
    const qsizetype insideHeader = kHeaderSize - 1;
    if (end >= 0 && end < insideHeader)
        checkEndMark(end, afterMark);
    const QByteArray lineEnd = headerLineEnd();
    if (!lineEnd.isEmpty()) {
        m_headerSize = kHeaderSize - 2 + int(lineEnd.size());
        m_recordSize = kRecordSize - 2 + int(lineEnd.size());
    }
    if (end >= insideHeader)
        checkEndMark(end, afterMark);

    // A text file holds no NUL: such bytes are a damaged copy, or zeros a
    // failed copy left behind, never names to import.
    if (const qsizetype nul = m_bytes.indexOf('\0'); nul >= 0)
        throw plat::Error::input(nul < m_headerSize
                                     ? QStringLiteral("O arquivo tem bytes nulos no cabeçalho: não é um arquivo do Zelta do ano "
                                                      "anterior, ou está danificado")
                                     : QStringLiteral("O arquivo tem bytes nulos no registro %1: não é um arquivo do Zelta do "
                                                      "ano anterior, ou está danificado")
                                           .arg((nul - m_headerSize) / m_recordSize + 1));
    checkCharacters();

    // The separators of NNNNNN/NN-N, at 7 and 10, are not examined.
    checkDigits(kInstNumero, kInstNumeroW, "número da instituição", 6, 9);
    const QString number = raw(kInstNumero, kInstNumeroW);
    m_institution.numero = dropTrailingBlanks(number.mid(0, 6) + number.mid(7, 2) + number.mid(10, 1));
    m_institution.nome = text(kInstNome, kInstNomeW);
    m_institution.sigla = dropTrailingBlanks(raw(kInstSigla, kInstSiglaW).left(kSiglaSize));
    m_institution.cotas = quotaGroup(raw(kQuota1, kQuotaW)) + quotaGroup(raw(kQuota2, kQuotaW));

    m_records = int((m_bytes.size() - m_headerSize) / m_recordSize);
    for (int i = 0; i < m_records; ++i) {
        checkRecordBounds(i, lineEnd);
        checkRecordDigits(i);
    }
    checkEnd();
    checkRepeatedHolders();
}

QString RecoveryFile::where(qsizetype offset) const
{
    if (offset < m_headerSize)
        return QStringLiteral("na linha 1 (cabeçalho), posição %1").arg(offset + 1);
    const qsizetype record = (offset - m_headerSize) / m_recordSize;
    return QStringLiteral("na linha %1 (registro %2), posição %3")
        .arg(record + 2)
        .arg(record + 1)
        .arg((offset - m_headerSize) % m_recordSize + 1);
}

void RecoveryFile::checkEndMark(qsizetype mark, const QByteArray& afterMark) const
{
    // After the last record the mark may be followed by padding (more marks,
    // line ends, blanks, zeros) or by leftovers shorter than a record. When
    // the mark and the data after it fill a record, the mark sits where a
    // record is (between two, or in place of a record's first byte), and the
    // records after it would be lost without a word.
    if (afterMark.size() + 1 < m_recordSize)
        return;
    for (const char c : afterMark)
        if (c != kEndOfFile && c != '\r' && c != '\n' && c != ' ' && c != '\0')
            throw plat::Error::input(QStringLiteral("O arquivo tem a marca de fim de arquivo (Ctrl+Z) %1, antes do fim dos "
                                                    "registros: os registros que vêm depois dela não seriam lidos. Use uma "
                                                    "cópia fiel do arquivo do ano anterior")
                                         .arg(where(mark)));
}

void RecoveryFile::checkCharacters() const
{
    // Five bytes stand for no character in Windows-1252: a file that holds
    // one is damaged or in another character set, and the byte would reach
    // the tables and the next submission file.
    const qsizetype i = plat::sys::firstUndefinedCp1252(m_bytes);
    if (i < 0)
        return;
    const auto b = static_cast<unsigned char>(m_bytes.at(i));
    throw plat::Error::input(QStringLiteral("O arquivo tem o byte 0x%1 %2, que não representa nenhum caractere no conjunto "
                                            "Windows-1252 dos arquivos do Zelta: o arquivo está danificado ou não é do "
                                            "Zelta do ano anterior")
                                 .arg(QString::number(b, 16).toUpper(), where(i)));
}

QByteArray RecoveryFile::headerLineEnd() const
{
    const qsizetype size = m_bytes.size();
    auto shortHeader = [&] {
        return plat::Error::input(size == 0 ? QStringLiteral("O arquivo está vazio: não é um arquivo do Zelta do ano anterior")
                                            : QStringLiteral("O arquivo termina no cabeçalho (%1 de %2 caracteres): não é um "
                                                             "arquivo do Zelta do ano anterior")
                                                  .arg(size)
                                                  .arg(kHeaderSize));
    };
    // The agency's files end the header and every record with CR LF, the last
    // two of their ignored characters. A copy whose line ends were turned into
    // LF alone is one character shorter per line; it is read line by line the
    // same, each record checked to end where its LF is.
    const qsizetype lastOfHeader = kHeaderSize - 2;
    if (size > lastOfHeader && m_bytes.at(lastOfHeader) == '\n')
        return QByteArrayLiteral("\n");
    if (size < kHeaderSize)
        throw shortHeader();
    if (m_bytes.at(lastOfHeader) == '\r' && m_bytes.at(lastOfHeader + 1) == '\n')
        return QByteArrayLiteral("\r\n");
    // CR without its LF: line ends changed some other way, which no fixed
    // count can follow.
    if (m_bytes.at(lastOfHeader) == '\r')
        throw plat::Error::input(QStringLiteral("O cabeçalho do arquivo termina com CR sem LF: os finais de linha do arquivo "
                                                "foram alterados e os dados seriam lidos fora de posição. Use uma cópia fiel "
                                                "do arquivo do ano anterior"));
    // No line end at all: the positions are all there is to go by.
    return QByteArray();
}

void RecoveryFile::checkRecordBounds(int i, const QByteArray& lineEnd) const
{
    const qsizetype base = recordOffset(i);
    // A file with line ends has one at the end of every record; one missing
    // or out of place means a record of another length, and every field after
    // it would be read shifted.
    if (!lineEnd.isEmpty()
        && QByteArrayView(m_bytes.constData() + base + m_recordSize - lineEnd.size(), lineEnd.size()) != lineEnd)
        throw plat::Error::input(QStringLiteral("O registro %1 do arquivo não termina com a quebra de linha do cabeçalho: "
                                                "há um registro de tamanho errado ou os finais de linha foram alterados, e os "
                                                "dados seriam lidos fora de posição. Use uma cópia fiel do arquivo do ano "
                                                "anterior")
                                     .arg(i + 1));
}

void RecoveryFile::checkDigits(qsizetype offset, int width, const char* slot, int skip1, int skip2) const
{
    // Blanks stand for digits not given (a deleted holder, no advisor, an
    // area not chosen) and are read as they are. A letter, a punctuation mark
    // or a control character is put there by no writer of the format: the
    // record is out of position, or the file is of another kind, and reading
    // on would store a made-up CPF or code.
    for (int k = 0; k < width; ++k) {
        const char c = m_bytes.at(offset + k);
        if ((c >= '0' && c <= '9') || c == ' ' || k == skip1 || k == skip2)
            continue;
        QString shown = raw(offset, width);
        for (QChar& ch : shown)
            if (ch.unicode() < u' ')
                ch = u'?';
        throw plat::Error::input(QStringLiteral("O arquivo tem \"%1\" no lugar do %2, %3: esse lugar só leva algarismos e "
                                                "espaços. Os dados estão fora de posição ou o arquivo não é do Zelta do ano "
                                                "anterior; use uma cópia fiel do arquivo do ano anterior")
                                     .arg(shown, QString::fromUtf8(slot), where(offset + k)));
    }
}

void RecoveryFile::checkRecordDigits(int i) const
{
    const qsizetype base = recordOffset(i);
    checkDigits(base + kCpf, kCpfW, "CPF do bolsista");
    checkDigits(base + kCpfOri, kCpfW, "CPF do orientador");
    checkDigits(base + kArea, kAreaW, "código da área do conhecimento");
}

void RecoveryFile::checkEnd() const
{
    // Line ends and blanks after the last record carry nothing. Anything else
    // is the start of a record whose rest is missing: the copy stopped short,
    // and what else it lacks cannot be told.
    const qsizetype tail = recordOffset(m_records);
    for (qsizetype k = tail; k < m_bytes.size(); ++k) {
        const char c = m_bytes.at(k);
        if (c == '\r' || c == '\n' || c == ' ')
            continue;
        throw plat::Error::input(QStringLiteral("O arquivo termina no meio do registro %1 (linha %2), com %3 dos seus %4 "
                                                "caracteres: a cópia do arquivo está incompleta. Ele tem %5 registro(s) "
                                                "completo(s); use uma cópia completa do arquivo do ano anterior")
                                     .arg(m_records + 1)
                                     .arg(m_records + 2)
                                     .arg(m_bytes.size() - tail)
                                     .arg(m_recordSize)
                                     .arg(m_records));
    }
}

void RecoveryFile::checkRepeatedHolders() const
{
    // A holder's CPF is the key of the holder table: two records of one CPF
    // would be two holders that the agency takes for one.
    QHash<QByteArrayView, int> seen;
    seen.reserve(m_records);
    for (int i = 0; i < m_records; ++i) {
        const QByteArrayView cpf(m_bytes.constData() + recordOffset(i) + kCpf, kCpfW);
        if (cpf.startsWith("   ")) // a deleted holder, not stored
            continue;
        if (const auto first = seen.constFind(cpf); first != seen.cend())
            throw plat::Error::input(QStringLiteral("O arquivo tem dois registros de bolsista com o CPF %1, nas linhas %2 e %3 "
                                                    "(registros %4 e %5), e um CPF só pode ser de um bolsista: nada foi "
                                                    "recuperado. Use uma cópia fiel do arquivo do ano anterior")
                                         .arg(formatCpf(raw(recordOffset(i) + kCpf, kCpfW)))
                                         .arg(*first + 2)
                                         .arg(i + 2)
                                         .arg(*first + 1)
                                         .arg(i + 1));
        seen.insert(cpf, i);
    }
}

RecoveryFile RecoveryFile::load(const QString& path)
{
    using Problem = plat::sys::FileContents::Problem;
    const QString shown = QDir::toNativeSeparators(path);
    plat::sys::FileContents file = plat::sys::readRegularFile(path, kLargestFile);
    switch (file.problem) {
    case Problem::None:
        break;
    case Problem::Missing:
        throw plat::Error::input(QStringLiteral("O arquivo %1 não foi encontrado").arg(shown));
    case Problem::Directory:
        throw plat::Error::input(QStringLiteral("%1 é uma pasta, não um arquivo").arg(shown));
    case Problem::NotRegular:
        throw plat::Error::input(QStringLiteral("%1 não é um arquivo comum (é um dispositivo, uma fila ou um soquete): não é um "
                                                "arquivo do Zelta do ano anterior")
                                     .arg(shown));
    case Problem::TooLarge:
        throw plat::Error::input(
            QStringLiteral("O arquivo %1 é grande demais para ser um arquivo do Zelta do ano anterior").arg(shown));
    case Problem::CannotOpen:
        throw plat::Error::input(QStringLiteral("Não foi possível abrir o arquivo %1 (%2)").arg(shown, file.systemText));
    case Problem::CannotRead:
        throw plat::Error::input(QStringLiteral("Não foi possível ler o arquivo %1 (%2)").arg(shown, file.systemText));
    }
    return RecoveryFile(std::move(file.bytes));
}

QString RecoveryFile::raw(qsizetype offset, int width) const
{
    return plat::sys::fromCp1252(QByteArray::fromRawData(m_bytes.constData() + offset, width));
}

QString RecoveryFile::text(qsizetype offset, int width) const { return dropTrailingBlanks(raw(offset, width)); }

RecoveryRecord RecoveryFile::record(int i, const QDate& today) const
{
    Q_ASSERT(i >= 0 && i < m_records);
    const qsizetype base = recordOffset(i);
    auto field = [&](int offset, int width) { return text(base + offset, width); };

    RecoveryRecord r;
    r.cpf = formatCpf(raw(base + kCpf, kCpfW));
    r.nome = field(kNome, kNomeW);
    r.sexo = field(kSexo, 1);
    r.nascimento = birthDate(raw(base + kNascimento, kNascimentoW), today);
    r.processo = field(kProcesso, kProcessoW);
    r.seguroSaude = field(kSeguro, 1);
    r.codigoAgencia = field(kAgencia, kAgenciaW);
    r.contaBanco = field(kConta, kContaW);
    r.cpfOrientador = formatCpf(raw(base + kCpfOri, kCpfW));
    r.nomeOrientador = field(kNomeOri, kNomeOriW);
    r.titulacao = degreeCode(raw(base + kTitulacao, 1).at(0));
    r.titulo = projectTitle(raw(base + kTitulo, kTituloW));
    r.chave1 = field(kChave1, kChaveW);
    r.chave2 = field(kChave2, kChaveW);
    r.chave3 = field(kChave3, kChaveW);
    r.codArea = field(kArea, kAreaW);
    return r;
}

int RecoveryFile::quotaGroup(QStringView threeChars)
{
    QString digits;
    for (QChar c : threeChars)
        if (c != u' ')
            digits.append(c);
    if (digits.isEmpty())
        return 0;
    for (QChar c : std::as_const(digits))
        if (c.unicode() < u'0' || c.unicode() > u'9')
            throw plat::Error::input(QStringLiteral("'%1' is not a valid integer value").arg(digits));
    return digits.toInt();
}

QDate RecoveryFile::birthDate(QStringView mmddyy, const QDate& today)
{
    if (mmddyy.size() < 8)
        return QDate();
    const int month = smallNumber(mmddyy.mid(0, 2));
    const int day = smallNumber(mmddyy.mid(3, 2));
    const int year = smallNumber(mmddyy.mid(6, 2));
    if (month < 0 || day < 0 || year < 0)
        return QDate();
    const QDate now = today.isValid() ? today : QDate::currentDate();
    // The century of today's date, or the one before it when that would put
    // the birth after today (78 read in 2026 is 1978, not 2078).
    const int century = now.year() - now.year() % 100;
    const QDate inThisCentury(century + year, month, day);
    if (inThisCentury.isValid() && inThisCentury <= now)
        return inThisCentury;
    const QDate inLastCentury(century - 100 + year, month, day);
    return inLastCentury.isValid() ? inLastCentury : QDate();
}

QString RecoveryFile::degreeCode(QChar code)
{
    if (code == u'3')
        return QStringLiteral("M");
    if (code == u'4')
        return QStringLiteral("D");
    return QString();
}

QString RecoveryFile::projectTitle(QStringView slot)
{
    // Blanks and control characters at both ends go, as the run-time's trim
    // takes them; those inside the title stay.
    QStringView t = slot.left(kTituloSize);
    qsizetype from = 0, to = t.size();
    while (from < to && t.at(from).unicode() <= u' ')
        ++from;
    while (to > from && t.at(to - 1).unicode() <= u' ')
        --to;
    return t.mid(from, to - from).toString();
}

} // namespace zelta
