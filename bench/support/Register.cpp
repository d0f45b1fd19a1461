#include "support/Register.h"
#include "validation/TVlCpfCgc.h"

#include "platform/db/Database.h"

#include <QDate>
#include <QTextStream>
#include <random>

namespace zelta::bench {

namespace {

const char* kFirst[] = {"ANA",   "BRUNO",   "CARLA",   "DANIEL", "EDUARDO", "FERNANDA", "GABRIEL", "HELENA",
                        "IGOR",  "JULIANA", "LUCAS",   "MARIA",  "NATALIA", "OTAVIO",   "PAULA",   "RAFAEL",
                        "SOFIA", "TIAGO",   "VALÉRIA", "ÁLVARO", "ÉRICA",   "JOÃO",     "CÉLIA",   "ÍRIS"};
const char* kLast[] = {"SILVA", "SANTOS", "OLIVEIRA",   "SOUZA",   "RODRIGUES", "FERREIRA", "ALVES",   "PEREIRA", "LIMA",
                       "GOMES", "COSTA",  "RIBEIRO",    "MARTINS", "CARVALHO",  "ARAÚJO",   "MELO",    "BARBOSA", "CARDOSO",
                       "ROCHA", "DIAS",   "NASCIMENTO", "ANDRADE", "MOREIRA",   "NUNES",    "MARQUES", "MACHADO"};

RegisterShape scaledShape(RegisterShape shape)
{
    shape.advisors = scaled(shape.advisors);
    shape.holders = scaled(shape.holders);
    return shape;
}

} // namespace

double benchScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("ZELTA_BENCH_SCALE").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

int scaled(int n) { return n == 0 ? 0 : std::max(1, int(n * benchScale())); }

QString Register::name(unsigned n)
{
    const unsigned nf = std::size(kFirst), nl = std::size(kLast);
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromUtf8(kFirst[n % nf]), QString::fromUtf8(kLast[(n / nf) % nl]),
             QString::fromUtf8(kLast[(n / (nf * nl)) % nl]), QString::fromUtf8(kLast[(n / 7) % nl]));
}

QString Register::cpf(qint64 nineDigits)
{
    const QString d = zelta::cpfWithCheckDigits(nineDigits);
    return QStringLiteral("%1.%2.%3-%4").arg(d.mid(0, 3), d.mid(3, 3), d.mid(6, 3), d.mid(9, 2));
}

Register::Register(const RegisterShape& unscaled)
    : m_shape(scaledShape(unscaled)), m_dm(std::make_unique<TDm_Dados>(m_dir.path()))
{
    const RegisterShape& shape = m_shape;
    plat::db::Database& db = m_dm->database();
    std::mt19937 rng(shape.seed);
    plat::db::Database::Transaction tx(db);
    db.exec(QStringLiteral("UPDATE ZELTAINT SET Numero_Instituicao='123456789', Sigla='UFX', Nome='UNIVERSIDADE FEDERAL "
                           "DE EXEMPLO', Cotas=?"),
            {double(shape.holders)});
    {
        plat::db::Statement st = db.prepare(QStringLiteral("INSERT INTO ZELTAORI (CPF, NOME, TITULACAO, TITULO, P_CHAVE1, "
                                                           "P_CHAVE2, P_CHAVE3, COD_AREA, PESQUISADOR, CATEGORIA, ALTERA) "
                                                           "VALUES (?, ?, ?, ?, 'SOLOS', 'AGUA', '', '10101003', ?, ?, ' ')"));
        for (int i = 0; i < shape.advisors; ++i) {
            st.reset();
            const bool grant = rng() % 4 == 0;
            st.bindAll({cpf(100000000 + i), name(rng()), (i % 3) ? QStringLiteral("D") : QStringLiteral("M"),
                        QStringLiteral("ESTUDO DE CASO NUMERO %1 SOBRE MANEJO E CONSERVACAO DO SOLO").arg(i),
                        grant ? QStringLiteral("S") : QStringLiteral(" "), grant ? QStringLiteral("1A") : QStringLiteral("  ")});
            st.exec();
        }
    }
    {
        plat::db::Statement st = db.prepare(QStringLiteral(
            "INSERT INTO ZELTABOL (Nome, CPF, SEXO, DATA_NASCIMENTO, PROCESSO, DEMANDA, SITUACAO, SEGURO_SAUDE, CODIGO_AGENCIA, "
            "CONTA_BANCO, CPF_ORIENTADOR, CPF_EXORIENTADOR, NUMERO_ORIENTADOR, ALTERA) "
            "VALUES (?, ?, ?, ?, '12345678901', '99/97', ?, '', '1234-5', '123456-7', ?, '', ?, '')"));
        for (int i = 0; i < shape.holders; ++i) {
            st.reset();
            const int advisor = shape.advisors ? int(rng() % unsigned(shape.advisors)) : 0;
            const double u = double(rng()) / double(rng.max());
            const QString situacao = u < shape.excludedShare ? QStringLiteral("Excluído")
                                                             : (rng() % 2 ? QStringLiteral("Novo") : QStringLiteral("Renovado"));
            st.bindAll({name(rng()), cpf(200000000 + i), (i % 2) ? QStringLiteral("F") : QStringLiteral("M"),
                        QDate(1970 + int(rng() % 30), 1 + int(rng() % 12), 1 + int(rng() % 28)), situacao,
                        shape.advisors ? cpf(100000000 + advisor) : QString(),
                        shape.advisors ? QVariant(qint64(advisor + 1)) : QVariant()});
            st.exec();
        }
    }
    tx.commit();
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void report(const QString& name, double value, const QString& unit, const QString& aim)
{
    QTextStream out(stdout);
    out << name << ": " << QString::number(value, 'f', value < 10 ? 3 : 1) << ' ' << unit;
    if (!aim.isEmpty())
        out << "  (aim: " << aim << ')';
    out << '\n';
    out.flush();
}

} // namespace zelta::bench
