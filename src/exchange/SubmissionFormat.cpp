#include "exchange/SubmissionFormat.h"

#include "validation/Situacao.h"

#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"

#include <array>

namespace zelta {

namespace {

// The accented letters and their plain letters, position by position.
constexpr char16_t kAccented[] = u"ÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÃÕÄËÏÖÜÇáéíóúàèìòùâêîôûãõäëïöüç";
constexpr char16_t kPlain[] = u"AEIOUAEIOUAEIOUAOAEIOUCaeiouaeiouaeiouaoaeiouc";
static_assert(std::size(kAccented) == 47 && std::size(kPlain) == 47, "46 letters each");

char16_t withoutAccent(char16_t c)
{
    if (c < 0xC0 || c > 0xFC)
        return c;
    for (size_t i = 0; i + 1 < std::size(kAccented); ++i)
        if (kAccented[i] == c)
            return kPlain[i];
    return c;
}

// Every C0 control character (CR and LF among them) and DEL: none of them
// belongs in a fixed-width line, and a TAB, NUL or Ctrl+Z in a stored text
// would reach the agency's reader as is.
char16_t withoutControl(char16_t c) { return (c < u' ' || c == 0x7F) ? u' ' : c; }

char16_t raised(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c; }

char encodeOne(char16_t c)
{
    if (!plat::sys::fitsCp1252(QChar(c)))
        return '?';
    return plat::sys::toCp1252(QString(QChar(c))).at(0);
}

// The byte each Latin-1 character becomes in a record: the three cleaning
// steps and the encoding are all one character to one character, so together
// they are one table.
const std::array<char, 256>& recordBytes()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int u = 0; u < 256; ++u)
            t[size_t(u)] = encodeOne(raised(withoutAccent(withoutControl(char16_t(u)))));
        return t;
    }();
    return table;
}

const std::array<char, 256>& plainBytes()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int u = 0; u < 256; ++u)
            t[size_t(u)] = encodeOne(char16_t(u));
        return t;
    }();
    return table;
}

// Writes texts into a record buffer character by character, each through a
// byte table, counting a surrogate pair as one character (one "?").
class Writer {
public:
    Writer(char* out, const std::array<char, 256>& table) : m_out(out), m_table(table) {}

    // The text cut to the width and padded with blanks to it.
    void put(QStringView text, int width)
    {
        int n = 0;
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size && n < width; ++i, ++n) {
            const char16_t c = text[i].unicode();
            if (c < 256) {
                *m_out++ = m_table[c];
                continue;
            }
            if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode()))
                ++i;
            *m_out++ = encodeOne(c);
        }
        blanks(width - n);
    }
    void put(char c) { *m_out++ = c; }
    void blanks(int n)
    {
        for (; n > 0; --n)
            *m_out++ = ' ';
    }
    char* position() const { return m_out; }

private:
    char* m_out;
    const std::array<char, 256>& m_table;
};

// Positions 1-3, 5-7, 9-11 and 13-14 of a stored CPF; a position that the
// text lacks is a blank.
void putCpf(Writer& w, const QString& stored)
{
    static constexpr int kPositions[11] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13};
    for (int p : kPositions)
        w.put(p < stored.size() ? QStringView(stored).mid(p, 1) : QStringView(), 1);
}

} // namespace

QString birthDateSlot(const QDate& date)
{
    if (!date.isValid())
        return QString(8, u' ');
    QString shortForm;
    if (date.year() >= 1 && date.year() <= 9999) {
        // dd/mm/yyyy with its characters 7 and 8 left out.
        const int d = date.day(), m = date.month(), y = date.year() % 100;
        const char16_t text[8] = {char16_t(u'0' + d / 10), char16_t(u'0' + d % 10), u'/',
                                  char16_t(u'0' + m / 10), char16_t(u'0' + m % 10), u'/',
                                  char16_t(u'0' + y / 10), char16_t(u'0' + y % 10)};
        shortForm = QString(reinterpret_cast<const QChar*>(text), 8);
    } else {
        const QString full = date.toString(QStringLiteral("dd/MM/yyyy"));
        shortForm = full.left(6) + full.mid(8, 2);
    }
    if (shortForm == QStringLiteral("30/12/99"))
        return QString(8, u' ');
    return shortForm.left(8).leftJustified(8, u' ');
}

QString situationCode(const QString& situacao)
{
    if (situacao == zelta::situacao::excluido)
        return QStringLiteral("EXEX");
    if (situacao == zelta::situacao::novo)
        return QStringLiteral("NVNV");
    if (situacao == zelta::situacao::renovado)
        return QStringLiteral("RNRN");
    return QStringLiteral("    ");
}

QString degreeCode(const QString& titulacao)
{
    if (titulacao == QStringLiteral("M"))
        return QStringLiteral("3");
    if (titulacao == QStringLiteral("D"))
        return QStringLiteral("4");
    return QStringLiteral(" ");
}

QByteArray headerLine(const QString& numeroInstituicao)
{
    QByteArray out(kHeaderSize, ' ');
    Writer w(out.data(), plainBytes());
    const QStringView n(numeroInstituicao);
    w.put(n.size() > 0 ? n.left(6) : QStringView(), 6);
    w.put('/');
    w.put(n.size() > 6 ? n.mid(6, 2) : QStringView(), 2);
    w.put('-');
    w.put(n.size() > 8 ? n.mid(8, 1) : QStringView(), 1);
    w.put('\n');
    return out;
}

QByteArray holderRecord(const SubmissionHolder& h, const SubmissionAdvisor* a)
{
    QByteArray out(kRecordSize, ' ');
    Writer w(out.data(), recordBytes());
    static const SubmissionAdvisor kNone;
    const SubmissionAdvisor& adv = a ? *a : kNone;

    // Holder and advisor's name: positions 1-190. The codes are chosen from the
    // stored text, before any cleaning.
    w.put(' ');
    putCpf(w, h.cpf);
    w.put(h.nome, 60);
    w.put(h.sexo, 1);
    w.put(birthDateSlot(h.nascimento), 8);
    w.put(h.processo, 11);
    w.put(h.demanda, 5);
    w.put(situationCode(h.situacao), 4);
    w.put(h.seguroSaude, 1);
    w.put(h.codigoAgencia, 6);
    w.blanks(10);
    putCpf(w, h.cpfOrientador);
    w.put(adv.nome, 60);
    w.put(degreeCode(adv.titulacao), 1);
    // Project title: positions 191-445.
    w.put(adv.titulo, 255);
    // Key words, area, grant: positions 446-516, then a blank and LF.
    w.put(adv.chave1, 20);
    w.put(adv.chave2, 20);
    w.put(adv.chave3, 20);
    w.put(adv.codArea, 8);
    w.put(adv.pesquisador, 1);
    w.put(adv.categoria, 2);
    w.put(' ');
    w.put('\n');
    Q_ASSERT(w.position() == out.constData() + kRecordSize);
    return out;
}

QString submissionFileName(const QString& numeroInstituicao)
{
    auto refuse = [](const QString& text) { return plat::Error::output(text); };
    if (numeroInstituicao.trimmed().isEmpty())
        throw refuse(QStringLiteral("O número da instituição está vazio: não há como dar nome ao arquivo. Recupere os "
                                    "dados do ano anterior para trazer o número da instituição. Nada foi gravado"));
    for (const QChar c : numeroInstituicao)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() < 0xA0))
            throw refuse(QStringLiteral("O número da instituição contém caracteres de controle e não pode ser "
                                        "gravado no arquivo. Nada foi gravado"));
    const QString base = numeroInstituicao.left(8);
    static const QString kUnsafe = QStringLiteral("/\\:*?\"<>|");
    bool meaningful = false;
    for (const QChar c : base) {
        if (kUnsafe.contains(c))
            throw refuse(QStringLiteral("O número da instituição \"%1\" contém o caractere \"%2\", que não pode fazer "
                                        "parte do nome de um arquivo. Nada foi gravado")
                             .arg(numeroInstituicao, QString(c)));
        if (c != u'.' && c != u' ')
            meaningful = true;
    }
    if (!meaningful)
        throw refuse(QStringLiteral("O número da instituição \"%1\" não forma um nome de arquivo válido. Nada foi "
                                    "gravado")
                         .arg(numeroInstituicao));
    return base + QStringLiteral(".htm");
}

} // namespace zelta
