#include "RecoverySample.h"
#include "validation/TVlCpfCgc.h"

#include "data/AreaTree.h"
#include "platform/system/Cp1252.h"

namespace zelta::sample {

namespace {

// Appends a value to its slot: cut to the width, then blanks up to it.
void put(QByteArray& out, const QString& value, int width)
{
    QByteArray bytes = plat::sys::toCp1252(value.left(width));
    bytes.append(QByteArray(width - bytes.size(), ' '));
    out.append(bytes);
}

} // namespace

QByteArray headerBytes(const OldHeader& h)
{
    QByteArray out;
    out.reserve(191);
    put(out, QString(), 1);
    put(out, h.nome, 75);
    put(out, QString(), 6);
    put(out, h.cgc, 11);
    put(out, h.responsavel, 60);
    put(out, h.numero, 11);
    put(out, h.sigla, 16);
    put(out, h.cota1, 3);
    put(out, h.cota2, 3);
    put(out, QString(), 3);
    out.append("\r\n");
    return out;
}

QByteArray recordBytes(const OldRecord& r)
{
    QByteArray out;
    out.reserve(517);
    put(out, r.cpf, 11);
    put(out, r.nome, 60);
    put(out, r.sexo, 1);
    put(out, r.nascimento, 8);
    put(out, r.processo, 11);
    put(out, r.demanda, 5);
    put(out, r.situacao, 4);
    put(out, r.seguro, 1);
    put(out, r.agencia, 6);
    put(out, r.conta, 10);
    put(out, r.cpfOrientador, 11);
    put(out, r.nomeOrientador, 60);
    put(out, r.titulacao, 1);
    put(out, r.titulo, 255);
    put(out, r.chave1, 20);
    put(out, r.chave2, 20);
    put(out, r.chave3, 20);
    put(out, r.codArea, 8);
    put(out, QString(), 3);
    out.append("\r\n");
    return out;
}

QString cpfDigits(qint64 nineDigits) { return zelta::cpfWithCheckDigits(nineDigits); }

QString areaDigits(const QString& areaName)
{
    for (const AreaNode& node : areaTree())
        if (node.name == areaName) {
            QString digits;
            for (QChar c : node.code)
                if (c.isDigit())
                    digits.append(c);
            return digits;
        }
    return QString();
}

QByteArray sampleFile()
{
    OldHeader h;
    h.nome = QStringLiteral("UNIVERSIDADE ESTADUAL DO VALE DO EXEMPLO");
    h.cgc = QStringLiteral("12345678000");
    h.responsavel = QStringLiteral("COORDENAÇÃO DE INICIAÇÃO CIENTÍFICA");
    h.numero = QStringLiteral("123456/78-9");
    h.sigla = QStringLiteral("UEVE");
    h.cota1 = QStringLiteral(" 12");
    h.cota2 = QStringLiteral("  3");

    struct Advisor {
        qint64 cpf;
        const char* nome;
        const char* titulacao;
        const char* titulo;
        const char* chave1;
        const char* chave2;
        const char* chave3;
        const char* area;
    };
    // Five people, one of them with two projects: six advisor records.
    const Advisor advisors[] = {
        {401230567, "HELENA DUARTE VASCONCELOS", "4", "MANEJO INTEGRADO DE PRAGAS EM CULTURAS DE FEIJÃO NO VALE DO EXEMPLO",
         "FEIJÃO", "PRAGAS", "MANEJO", "ENTOMOLOGIA AGRICOLA"},
        {402345671, "OTÁVIO RANGEL PEIXOTO", "4", "QUALIDADE DA ÁGUA EM RESERVATÓRIOS RURAIS E SAÚDE DAS COMUNIDADES", "ÁGUA",
         "RESERVATÓRIOS", "", "QUIMICA DO SOLO"},
        {402345671, "OTÁVIO RANGEL PEIXOTO", "4", "FERTILIDADE DE SOLOS ARENOSOS SOB ADUBAÇÃO ORGÂNICA", "SOLO", "ADUBAÇÃO",
         "FERTILIDADE", "FERTILIDADE DO SOLO E ADUBACAO"},
        {403456782, "LÚCIA MONTEIRO FRAGA", "3", "GESTÃO FINANCEIRA DE PEQUENAS COOPERATIVAS AGRÍCOLAS", "COOPERATIVAS",
         "FINANÇAS", "", "ADMINISTRACAO FINANCEIRA"},
        {404567893, "CÉSAR AUGUSTO BRANDÃO", "4", "FÍSICA DO SOLO E INFILTRAÇÃO EM ÁREAS DE PASTAGEM DEGRADADA", "INFILTRAÇÃO",
         "PASTAGEM", "SOLO", "FISICA DO SOLO"},
        {405678904, "MARINA TEIXEIRA COUTINHO", "3", "MICROBIOLOGIA DO SOLO EM SISTEMAS AGROFLORESTAIS", "MICRORGANISMOS",
         "AGROFLORESTA", "", "MICROBIOLOGIA E BIOQUIMICA DO SOLO"},
    };

    struct Holder {
        qint64 cpf;
        const char* nome;
        const char* sexo;
        const char* nascimento; // month/day/year
        const char* situacao;
        int advisor;
    };
    const Holder holders[] = {
        {501112223, "ANA BEATRIZ QUEIROZ LEMOS", "F", "03/14/79", "NVNV", 0},
        {502223334, "BRUNO HENRIQUE SAMPAIO", "M", "11/02/78", "RNRN", 0},
        {503334445, "CAMILA ROCHA FONSECA", "F", "07/23/80", "NVNV", 1},
        {504445556, "DIEGO ARAÚJO TAVARES", "M", "01/30/79", "NVNV", 2},
        {505556667, "ÉRICA VIANA MOTTA", "F", "09/05/77", "RNRN", 2},
        {506667778, "FÁBIO CORDEIRO NEVES", "M", "12/31/78", "NVNV", 3},
        {507778889, "GABRIELA SOARES PINHEIRO", "F", "04/18/80", "NVNV", 3},
        {508889990, "HEITOR GUSMÃO FARIAS", "M", "06/09/79", "RNRN", 4},
        {509990001, "ÍRIS CAVALCANTI DORNELES", "F", "02/27/81", "NVNV", 4},
        {510001112, "JOÃO PEDRO ANDRADE LUZ", "M", "10/11/78", "NVNV", 5},
        {511112223, "LARISSA MOREIRA BASTOS", "F", "08/16/80", "NVNV", 1},
        {512223334, "MATEUS FERRAZ QUINTELA", "M", "05/21/79", "RNRN", 5},
    };

    QByteArray out = headerBytes(h);
    int n = 0;
    for (const Holder& hb : holders) {
        const Advisor& a = advisors[hb.advisor];
        OldRecord r;
        r.cpf = cpfDigits(hb.cpf);
        r.nome = QString::fromUtf8(hb.nome);
        r.sexo = QString::fromUtf8(hb.sexo);
        r.nascimento = QString::fromUtf8(hb.nascimento);
        r.processo = QStringLiteral("980%1").arg(4100 + 17 * n, 8, 10, QLatin1Char('0'));
        r.situacao = QString::fromUtf8(hb.situacao);
        r.seguro = QStringLiteral("S");
        r.agencia = QStringLiteral("%1-%2").arg(1200 + 37 * (n % 5)).arg(n % 10);
        r.conta = QStringLiteral("%1-%2").arg(20300 + 211 * n).arg((n * 7) % 10);
        r.cpfOrientador = cpfDigits(a.cpf);
        r.nomeOrientador = QString::fromUtf8(a.nome);
        r.titulacao = QString::fromUtf8(a.titulacao);
        r.titulo = QString::fromUtf8(a.titulo);
        r.chave1 = QString::fromUtf8(a.chave1);
        r.chave2 = QString::fromUtf8(a.chave2);
        r.chave3 = QString::fromUtf8(a.chave3);
        r.codArea = areaDigits(QString::fromUtf8(a.area));
        out.append(recordBytes(r));
        ++n;
    }
    // Files copied from the old program's diskettes end with Ctrl+Z.
    out.append('\x1a');
    return out;
}

} // namespace zelta::sample
