// libFuzzer target for the previous-year file reader: any bytes must either be
// refused with a plat::Error or read into values that fit their fields.
#include "exchange/RecoveryFile.h"
#include "platform/system/Cp1252.h"

#include <QSet>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using zelta::RecoveryFile;
using zelta::RecoveryRecord;

namespace {

const QDate kToday(2026, 6, 15);

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

bool digitOrBlank(QChar c) { return c == u' ' || (c >= u'0' && c <= u'9'); }

// The 11 digit positions of a CPF in its stored form.
bool cpfDigitsOrBlanks(const QString& cpf)
{
    for (int p : {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13})
        if (!digitOrBlank(cpf.at(p)))
            return false;
    return true;
}

void checkRecord(const RecoveryRecord& r)
{
    require(r.cpf.size() == 14 && r.cpfOrientador.size() == 14, "CPF of 14 characters");
    require(r.cpf.at(3) == u'.' && r.cpf.at(7) == u'.' && r.cpf.at(11) == u'-', "CPF punctuation");
    require(cpfDigitsOrBlanks(r.cpf) && cpfDigitsOrBlanks(r.cpfOrientador)
                && std::all_of(r.codArea.begin(), r.codArea.end(), digitOrBlank),
            "digit slots hold digits and blanks");
    require(r.nome.size() <= 60 && r.nomeOrientador.size() <= 60, "name of at most 60");
    require(r.sexo.size() <= 1 && r.seguroSaude.size() <= 1, "one-character fields");
    require(r.processo.size() <= 11 && r.codigoAgencia.size() <= 6 && r.contaBanco.size() <= 10, "holder field sizes");
    require(r.titulo.size() <= 240, "title of at most 240");
    require(r.titulo.isEmpty() || (r.titulo.front().unicode() > u' ' && r.titulo.back().unicode() > u' '), "title trimmed");
    require(r.titulacao.isEmpty() || r.titulacao == QStringLiteral("M") || r.titulacao == QStringLiteral("D"), "degree code");
    require(r.chave1.size() <= 20 && r.chave2.size() <= 20 && r.chave3.size() <= 20 && r.codArea.size() <= 8,
            "advisor field sizes");
    require(!r.nascimento.isValid() || (r.nascimento <= kToday && r.nascimento.year() > kToday.year() - 101),
            "birth date within the last hundred years");
    require(r.nome.isEmpty() || !r.nome.endsWith(u' '), "padding dropped");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const RecoveryFile file(bytes);
        const zelta::RecoveryInstitution& inst = file.institution();
        require(inst.numero.size() <= 9 && inst.sigla.size() <= 10 && inst.nome.size() <= 75, "institution field sizes");
        require(inst.cotas >= 0 && inst.cotas <= 1998, "quota of two three-digit groups");
        const qsizetype used = file.headerSize() + qsizetype(file.recordCount()) * file.recordSize();
        require(used <= bytes.size(), "records within the file");
        // After the last record: line ends and blanks, up to the end or to a Ctrl+Z.
        const qsizetype mark = bytes.indexOf('\x1a');
        for (char c : bytes.mid(used, (mark < 0 ? bytes.size() : mark) - used))
            require(c == '\r' || c == '\n' || c == ' ', "no record cut short");
        require(bytes.left(used).indexOf('\0') < 0, "no NUL in what is read");
        require(plat::sys::firstUndefinedCp1252(bytes.left(used)) < 0, "every byte read stands for a character");
        QSet<QString> holders;
        for (int i = 0; i < file.recordCount(); ++i) {
            const RecoveryRecord r = file.record(i, kToday);
            checkRecord(r);
            if (r.keepsHolder()) {
                require(!holders.contains(r.cpf), "one record per holder CPF");
                holders.insert(r.cpf);
            }
        }
    } catch (const plat::Error& e) {
        require(!e.message().isEmpty(), "a refusal says why");
    }
    return 0;
}
