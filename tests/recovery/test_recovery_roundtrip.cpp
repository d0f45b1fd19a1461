// A year's round trip: last year's file is recovered, some holders are
// renewed, the new submission file is generated, and every field of every
// record is compared with the record it came from.
#include "RecoverySample.h"
#include "exchange/CpfText.h"
#include "exchange/RecoveryFile.h"
#include "exchange/RecoveryImport.h"
#include "exchange/SubmissionFormat.h"
#include "exchange/SubmissionWriter.h"
#include "platform/db/Table.h"
#include "platform/system/Cp1252.h"
#include "support/SubmissionFile.h"
#include "support/TestData.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTest>

using namespace zelta;
using namespace zelta::sample;
using zelta::test::TestData;

namespace {

// A slot of a record, decoded.
QString slot(const QByteArray& record, int offset, int width) { return plat::sys::fromCp1252(record.mid(offset, width)); }

QString padded(const QString& s, int width) { return s.leftJustified(width, u' ', true); }

// The old file: the shipped sample's records, then records that exercise the
// text cleaning and the matching of advisors.
QByteArray sourceFile()
{
    QByteArray bytes = sampleFile();
    bytes.chop(1); // its Ctrl+Z goes to the end again below

    OldRecord odd;
    odd.cpf = cpfDigits(777000111);
    odd.nome = QStringLiteral("joão d'ávila ñandu");
    odd.sexo = QStringLiteral("m");
    odd.nascimento = QStringLiteral("02/29/80");
    odd.processo = QStringLiteral("proc-1");
    odd.seguro = QStringLiteral("n");
    odd.agencia = QStringLiteral("0001-x");
    odd.conta = QStringLiteral("NAO VAI");
    odd.cpfOrientador = cpfDigits(777000222);
    odd.nomeOrientador = QStringLiteral("Maria Cecília Ângelo");
    odd.titulacao = QStringLiteral("3");
    odd.titulo = QStringLiteral("  Pesquisa em\r\nduas linhas  ");
    odd.chave1 = QStringLiteral("ação");
    odd.chave3 = QStringLiteral("Três");
    odd.codArea = QStringLiteral("10203006");
    bytes += recordBytes(odd);

    // Same advisor CPF and title as the sample's first record, other spellings
    // of the advisor's data: the advisor of the first record is kept.
    OldRecord same = odd;
    same.cpf = cpfDigits(777000333);
    same.nome = QStringLiteral("SEGUNDA PESSOA DO MESMO PROJETO");
    same.cpfOrientador = cpfDigits(401230567);
    same.nomeOrientador = QStringLiteral("OUTRA GRAFIA DO NOME");
    same.titulacao = QStringLiteral("3");
    same.titulo = QStringLiteral("MANEJO INTEGRADO DE PRAGAS EM CULTURAS DE FEIJÃO NO VALE DO EXEMPLO");
    same.chave1 = QStringLiteral("OUTRA");
    bytes += recordBytes(same);
    bytes += '\x1a';
    return bytes;
}

// Every column of every row of the three tables, record numbers and sort
// columns included, in record number order, each value with its type; and
// the definitions of the tables and their indexes.
QByteArray storedState(TestData& d)
{
    QByteArray out;
    for (const char* table : {"ZELTAINT", "ZELTAORI", "ZELTABOL"}) {
        plat::db::Statement st = d.db().prepare(
            QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(QLatin1StringView(table)));
        while (st.step()) {
            for (int c = 0; c < st.columnCount(); ++c)
                out += QByteArray(st.value(c).typeName()) + ':' + st.value(c).toString().toUtf8() + '|';
            out += '\n';
        }
    }
    return out;
}

QStringList schema(TestData& d)
{
    QStringList out;
    plat::db::Statement st = d.db().prepare(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name"));
    while (st.step())
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(st.value(0).toString(), st.value(1).toString(), st.value(2).toString(), st.value(3).toString());
    return out;
}

} // namespace

class TestRecoveryRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void recoveryStoresWhatEarlierVersionsStored()
    {
        // The file recovered twice, the second time over the rows of the
        // first: the register is emptied, the numbers start again, and the
        // tables, their indexes and every stored value are as the import
        // wrote them before it was made faster (the digest of those rows).
        TestData d;
        const QString path = QDir(d.dir()).filePath(QStringLiteral("ANTERIOR.TEX"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(sourceFile()) > 0);
        f.close();
        RecoveryOptions options;
        options.today = QDate(2026, 6, 15);
        const QStringList before = schema(d);
        recuperarDados(d.dm(), path, options);
        const QByteArray first = storedState(d);
        recuperarDados(d.dm(), path, options);
        QCOMPARE(storedState(d), first);
        QCOMPARE(schema(d), before);
        QVERIFY(d.db().checkIntegrity(false).isEmpty());
        QCOMPARE(QCryptographicHash::hash(first, QCryptographicHash::Sha1).toHex(),
                 QByteArray("fd82b6c9395d5459c0e4efadbb49f75300d735bc"));
    }

    void recoveredRenewedAndGeneratedRecordsMatchTheSource()
    {
        const QByteArray source = sourceFile();
        const RecoveryFile old(source);
        TestData d;
        const QString path = QDir(d.dir()).filePath(QStringLiteral("ANTERIOR.TEX"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(source);
        }
        RecoveryOptions options;
        options.today = QDate(2026, 6, 15);
        const RecoveryResult imported = recuperarDados(d.dm(), path, options);
        QCOMPARE(imported.holders, old.recordCount());

        // Renew every other holder, the way the holder list does it.
        QSet<QString> renewed;
        plat::db::Table& bol = *d.dm().Tb_Bolsistas;
        bol.open();
        int n = 0;
        for (bol.first(); !bol.eof(); bol.next()) {
            if (n++ % 2)
                continue;
            bol.edit();
            bol.field(QStringLiteral("SITUACAO")).setAsString(QStringLiteral("Renovado"));
            bol.post();
            renewed.insert(zelta::cpfDigits(bol.field(QStringLiteral("CPF")).asString()));
        }
        bol.close();
        QVERIFY(renewed.size() > 1);

        QBuffer out;
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(writeSubmission(d.db(), institutionNumber(d.db()), out), old.recordCount());
        const QByteArray generated = zelta::test::checkedSubmission(out.data());
        QCOMPARE(generated.size(), 12 + 518 * old.recordCount());
        QCOMPARE(generated.left(12), QByteArray("123456/78-9\n"));

        QHash<QString, QByteArray> byCpf;
        for (int i = 0; i < old.recordCount(); ++i) {
            const QByteArray rec = generated.mid(12 + 518 * i, 518);
            byCpf.insert(QString::fromLatin1(rec.mid(1, 11)), rec);
        }
        QCOMPARE(byCpf.size(), old.recordCount());

        // The advisor's fields come from the first record of its CPF and title.
        QHash<QPair<QString, QString>, QByteArray> firstOfPair;
        for (int i = 0; i < old.recordCount(); ++i) {
            const QByteArray src = source.mid(RecoveryFile::kHeaderSize + RecoveryFile::kRecordSize * i,
                                              RecoveryFile::kRecordSize);
            const QPair<QString, QString> pair(slot(src, 117, 11), RecoveryFile::projectTitle(slot(src, 189, 255)));
            if (!firstOfPair.contains(pair))
                firstOfPair.insert(pair, src);
        }

        for (int i = 0; i < old.recordCount(); ++i) {
            const QByteArray src = source.mid(RecoveryFile::kHeaderSize + RecoveryFile::kRecordSize * i,
                                              RecoveryFile::kRecordSize);
            const QString cpf = slot(src, 0, 11);
            QVERIFY2(byCpf.contains(cpf), qPrintable(cpf));
            const QByteArray gen = byCpf.value(cpf);
            const QByteArray adv = firstOfPair.value({slot(src, 117, 11), RecoveryFile::projectTitle(slot(src, 189, 255))});
            const QString oldDate = slot(src, 72, 8); // month/day/year
            const QString title = RecoveryFile::projectTitle(slot(adv, 189, 255));

            struct Field {
                const char* name;
                int offset;
                int width;
                QString expected;
            };
            const QList<Field> fields{
                {"leading blank", 0, 1, QStringLiteral(" ")},
                {"holder CPF", 1, 11, cpf},
                {"holder name", 12, 60, zelta::test::textForFile(slot(src, 11, 60))},
                {"sex", 72, 1, zelta::test::textForFile(slot(src, 71, 1))},
                {"birth date", 73, 8, oldDate.mid(3, 2) + u'/' + oldDate.mid(0, 2) + u'/' + oldDate.mid(6, 2)},
                {"process", 81, 11, zelta::test::textForFile(slot(src, 80, 11))},
                {"demand", 92, 5, QStringLiteral("99/97")},
                {"situation", 97, 4, renewed.contains(cpf) ? QStringLiteral("RNRN") : QStringLiteral("EXEX")},
                {"health insurance", 101, 1, zelta::test::textForFile(slot(src, 100, 1))},
                {"branch", 102, 6, zelta::test::textForFile(slot(src, 101, 6))},
                {"account, not sent", 108, 10, QString(10, u' ')},
                {"advisor CPF", 118, 11, slot(src, 117, 11)},
                {"advisor name", 129, 60, zelta::test::textForFile(slot(adv, 128, 60))},
                {"degree", 189, 1, slot(adv, 188, 1)},
                {"title", 190, 255, padded(zelta::test::textForFile(title), 255)},
                {"keyword 1", 445, 20, zelta::test::textForFile(slot(adv, 444, 20))},
                {"keyword 2", 465, 20, zelta::test::textForFile(slot(adv, 464, 20))},
                {"keyword 3", 485, 20, zelta::test::textForFile(slot(adv, 484, 20))},
                {"area", 505, 8, slot(adv, 504, 8)},
                {"researcher", 513, 1, QStringLiteral(" ")},
                {"category", 514, 2, QStringLiteral("  ")},
                {"end", 516, 2, QStringLiteral(" \n")},
            };
            for (const Field& f : fields)
                QVERIFY2(slot(gen, f.offset, f.width) == f.expected,
                         qPrintable(QStringLiteral("%1 of %2: [%3], expected [%4]")
                                        .arg(QString::fromLatin1(f.name), cpf, slot(gen, f.offset, f.width), f.expected)));
        }

        // The cleaning was really exercised.
        const QByteArray odd = byCpf.value(sample::cpfDigits(777000111));
        QCOMPARE(slot(odd, 12, 18), QStringLiteral("JOAO D'AVILA ñANDU"));
        QCOMPARE(slot(odd, 190, 24), QStringLiteral("PESQUISA EM  DUAS LINHAS"));
        QCOMPARE(slot(odd, 73, 8), QStringLiteral("29/02/80"));
        QCOMPARE(slot(byCpf.value(sample::cpfDigits(777000333)), 129, 25), QStringLiteral("HELENA DUARTE VASCONCELOS"));
    }
};

QTEST_GUILESS_MAIN(TestRecoveryRoundTrip)
#include "test_recovery_roundtrip.moc"
