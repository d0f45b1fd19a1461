// The previous-year file reader: header, quotas, record positions, dates,
// titles and the end of the file.
#include "RecoverySample.h"
#include "exchange/CpfText.h"
#include "exchange/RecoveryFile.h"
#include "platform/system/RegularFile.h"
#include "support/InChild.h"
#include "support/Throws.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zelta;
using namespace zelta::sample;

namespace {

const QDate kToday(2026, 6, 15);

OldHeader header()
{
    OldHeader h;
    h.nome = QStringLiteral("UNIVERSIDADE DE TESTE");
    h.numero = QStringLiteral("123456/78-9");
    h.sigla = QStringLiteral("UT");
    h.cota1 = QStringLiteral(" 10");
    h.cota2 = QStringLiteral("  2");
    return h;
}

OldRecord record()
{
    OldRecord r;
    r.cpf = cpfDigits(111222333);
    r.nome = QStringLiteral("JOÃO DA SILVA");
    r.sexo = QStringLiteral("M");
    r.nascimento = QStringLiteral("05/17/78");
    r.processo = QStringLiteral("98000012345");
    r.seguro = QStringLiteral("S");
    r.agencia = QStringLiteral("1234-5");
    r.conta = QStringLiteral("123456-7");
    r.cpfOrientador = cpfDigits(444555666);
    r.nomeOrientador = QStringLiteral("MARIA CÉLIA SOUZA");
    r.titulacao = QStringLiteral("4");
    r.titulo = QStringLiteral("ESTUDO DO SOLO");
    r.chave1 = QStringLiteral("SOLO");
    r.chave2 = QStringLiteral("ÁGUA");
    r.chave3 = QStringLiteral("CLIMA");
    r.codArea = QStringLiteral("10203045");
    return r;
}

// The record above for another holder.
QByteArray otherHolder(qint64 nineDigits)
{
    OldRecord r = record();
    r.cpf = cpfDigits(nineDigits);
    return recordBytes(r);
}

QString formatted(const QString& digits)
{
    return digits.mid(0, 3) + u'.' + digits.mid(3, 3) + u'.' + digits.mid(6, 3) + u'-' + digits.mid(9, 2);
}

} // namespace

class TestRecoveryFile : public QObject {
    Q_OBJECT

private slots:
    void headerGivesTheInstitution()
    {
        OldHeader h = header();
        h.nome = QStringLiteral("UNIVERSIDADE FEDERAL DE SÃO TOMÉ");
        h.sigla = QStringLiteral("ABCDEFGHIJKLMNOP"); // 16 characters; the field keeps 10
        const RecoveryFile f(headerBytes(h));
        QCOMPARE(f.institution().nome, QStringLiteral("UNIVERSIDADE FEDERAL DE SÃO TOMÉ"));
        QCOMPARE(f.institution().numero, QStringLiteral("123456789"));
        QCOMPARE(f.institution().sigla, QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(f.institution().cotas, 12);
        QCOMPARE(f.recordCount(), 0);
    }

    void headerSlotsAreReadByPositionAlone()
    {
        // Every byte of the skipped slots set to '#': nothing of them may leak.
        QByteArray bytes = headerBytes(header());
        for (int i : {0, 76, 77, 78, 79, 80, 81})
            bytes[i] = '#';
        for (int i = 82; i < 153; ++i)
            bytes[i] = '#';
        for (int i = 186; i < 191; ++i)
            bytes[i] = '#';
        const RecoveryFile f(bytes);
        QCOMPARE(f.institution().nome, QStringLiteral("UNIVERSIDADE DE TESTE"));
        QCOMPARE(f.institution().numero, QStringLiteral("123456789"));
        QCOMPARE(f.institution().sigla, QStringLiteral("UT"));
    }

    void quotaGroups_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("cotas");
        QTest::newRow("12 and 3 with blanks around") << QStringLiteral(" 12") << QStringLiteral("3  ") << 15;
        QTest::newRow("both blank") << QStringLiteral("   ") << QStringLiteral("   ") << 0;
        QTest::newRow("first blank") << QStringLiteral("   ") << QStringLiteral("  7") << 7;
        QTest::newRow("blank between digits") << QStringLiteral("1 2") << QStringLiteral("   ") << 12;
        QTest::newRow("full groups") << QStringLiteral("999") << QStringLiteral("001") << 1000;
    }
    void quotaGroups()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, cotas);
        OldHeader h = header();
        h.cota1 = first;
        h.cota2 = second;
        QCOMPARE(RecoveryFile(headerBytes(h)).institution().cotas, cotas);
    }

    void quotaThatIsNotANumberIsRefusedWithTheRunTimeText_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("message");
        QTest::newRow("letter") << QStringLiteral(" 1A") << QStringLiteral("'1A' is not a valid integer value");
        QTest::newRow("sign") << QStringLiteral(" -3") << QStringLiteral("'-3' is not a valid integer value");
        QTest::newRow("tab") << QStringLiteral("\t12") << QStringLiteral("'\t12' is not a valid integer value");
    }
    void quotaThatIsNotANumberIsRefusedWithTheRunTimeText()
    {
        QFETCH(QString, group);
        QFETCH(QString, message);
        OldHeader h = header();
        h.cota2 = group;
        try {
            RecoveryFile f(headerBytes(h));
            QFAIL("a quota that is not a number was taken");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Input);
            QCOMPARE(e.message(), message);
        }
    }

    void headerCutShortIsNotAFile()
    {
        auto read = [](const QByteArray& bytes) { return RecoveryFile(bytes).recordCount(); };
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { read(QByteArray()); }));
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { read(headerBytes(header()).left(190)); }));
        // A Ctrl+Z inside the header ends the data there.
        QByteArray bytes = headerBytes(header());
        bytes[100] = '\x1a';
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { read(bytes); }));
    }

    void recordFieldsComeFromTheirPositions()
    {
        const RecoveryFile f(headerBytes(header()) + recordBytes(record()));
        QCOMPARE(f.recordCount(), 1);
        const RecoveryRecord r = f.record(0, kToday);
        QCOMPARE(r.cpf, formatted(cpfDigits(111222333)));
        QCOMPARE(r.nome, QStringLiteral("JOÃO DA SILVA"));
        QCOMPARE(r.sexo, QStringLiteral("M"));
        QCOMPARE(r.nascimento, QDate(1978, 5, 17));
        QCOMPARE(r.processo, QStringLiteral("98000012345"));
        QCOMPARE(r.seguroSaude, QStringLiteral("S"));
        QCOMPARE(r.codigoAgencia, QStringLiteral("1234-5"));
        QCOMPARE(r.contaBanco, QStringLiteral("123456-7"));
        QCOMPARE(r.cpfOrientador, formatted(cpfDigits(444555666)));
        QCOMPARE(r.nomeOrientador, QStringLiteral("MARIA CÉLIA SOUZA"));
        QCOMPARE(r.titulacao, QStringLiteral("D"));
        QCOMPARE(r.titulo, QStringLiteral("ESTUDO DO SOLO"));
        QCOMPARE(r.chave1, QStringLiteral("SOLO"));
        QCOMPARE(r.chave2, QStringLiteral("ÁGUA"));
        QCOMPARE(r.chave3, QStringLiteral("CLIMA"));
        QCOMPARE(r.codArea, QStringLiteral("10203045"));
        QVERIFY(r.keepsHolder());
        QVERIFY(r.hasAdvisor());
    }

    void fullSlotsAndSkippedSlotsKeepTheirBounds()
    {
        // Each slot filled to its width with a letter of its own, the skipped
        // slots (demand, situation, tail) with '#': a field read one position
        // off would take a neighbour's letter.
        OldRecord r;
        r.cpf = QStringLiteral("12345678901");
        r.nome = QString(60, u'N');
        r.sexo = QStringLiteral("F");
        r.nascimento = QStringLiteral("12/31/99");
        r.processo = QString(11, u'P');
        r.demanda = QStringLiteral("#####");
        r.situacao = QStringLiteral("####");
        r.seguro = QStringLiteral("G");
        r.agencia = QString(6, u'A');
        r.conta = QString(10, u'C');
        r.cpfOrientador = QStringLiteral("98765432109");
        r.nomeOrientador = QString(60, u'O');
        r.titulacao = QStringLiteral("3");
        r.titulo = QString(255, u'T');
        r.chave1 = QString(20, u'X');
        r.chave2 = QString(20, u'Y');
        r.chave3 = QString(20, u'Z');
        r.codArea = QString(8, u'8');
        QByteArray rec = recordBytes(r);
        rec.replace(512, 3, "###"); // the CR LF after them marks the record's end
        const RecoveryRecord d = RecoveryFile(headerBytes(header()) + rec).record(0, kToday);
        QCOMPARE(d.cpf, QStringLiteral("123.456.789-01"));
        QCOMPARE(d.nome, QString(60, u'N'));
        QCOMPARE(d.sexo, QStringLiteral("F"));
        QCOMPARE(d.nascimento, QDate(1999, 12, 31));
        QCOMPARE(d.processo, QString(11, u'P'));
        QCOMPARE(d.seguroSaude, QStringLiteral("G"));
        QCOMPARE(d.codigoAgencia, QString(6, u'A'));
        QCOMPARE(d.contaBanco, QString(10, u'C'));
        QCOMPARE(d.cpfOrientador, QStringLiteral("987.654.321-09"));
        QCOMPARE(d.nomeOrientador, QString(60, u'O'));
        QCOMPARE(d.titulacao, QStringLiteral("M"));
        QCOMPARE(d.titulo, QString(240, u'T')); // the field holds 240
        QCOMPARE(d.chave1, QString(20, u'X'));
        QCOMPARE(d.chave2, QString(20, u'Y'));
        QCOMPARE(d.chave3, QString(20, u'Z'));
        QCOMPARE(d.codArea, QString(8, u'8'));
    }

    void textsAreKeptAsReadApartFromTheirPadding()
    {
        OldRecord r = record();
        r.nome = QStringLiteral("  maria d'ávila"); // leading blanks and case stay
        r.conta = QStringLiteral("12 34");
        const RecoveryRecord d = RecoveryFile(headerBytes(header()) + recordBytes(r)).record(0, kToday);
        QCOMPARE(d.nome, QStringLiteral("  maria d'ávila"));
        QCOMPARE(d.contaBanco, QStringLiteral("12 34"));
        // Bytes that Windows-1252 maps above Latin-1 come back as their characters.
        QByteArray bytes = headerBytes(header()) + recordBytes(record());
        bytes[191 + 11] = '\x80';
        QCOMPARE(RecoveryFile(bytes).record(0, kToday).nome.at(0), QChar(0x20AC));
    }

    void blankCpfDigitsKeepTheirPositions()
    {
        OldRecord r = record();
        r.cpf = QString();
        r.cpfOrientador = QString();
        const RecoveryRecord d = RecoveryFile(headerBytes(header()) + recordBytes(r)).record(0, kToday);
        QCOMPARE(d.cpf, QStringLiteral("   .   .   -  "));
        QCOMPARE(d.cpfOrientador, QStringLiteral("   .   .   -  "));
        QVERIFY(!d.keepsHolder());
        QVERIFY(!d.hasAdvisor());
    }

    void birthDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("date");
        QTest::newRow("month first, run in the 1900s") << QStringLiteral("12/31/78") << QDate(1999, 3, 1) << QDate(1978, 12, 31);
        QTest::newRow("78 read today is not 2078") << QStringLiteral("12/31/78") << kToday << QDate(1978, 12, 31);
        QTest::newRow("day first does not convert") << QStringLiteral("31/12/78") << kToday << QDate();
        QTest::newRow("a recent year stays in this century") << QStringLiteral("01/15/05") << kToday << QDate(2005, 1, 15);
        QTest::newRow("today itself") << QStringLiteral("06/15/26") << kToday << QDate(2026, 6, 15);
        QTest::newRow("tomorrow is last century") << QStringLiteral("06/16/26") << kToday << QDate(1926, 6, 16);
        QTest::newRow("29 February 2000") << QStringLiteral("02/29/00") << kToday << QDate(2000, 2, 29);
        QTest::newRow("29 February of a common year") << QStringLiteral("02/29/01") << kToday << QDate();
        QTest::newRow("any separators") << QStringLiteral("05-17.78") << kToday << QDate(1978, 5, 17);
        QTest::newRow("leading blank in a part") << QStringLiteral(" 5/ 7/78") << kToday << QDate(1978, 5, 7);
        QTest::newRow("blank") << QStringLiteral("        ") << kToday << QDate();
        QTest::newRow("month 13") << QStringLiteral("13/01/78") << kToday << QDate();
        QTest::newRow("letters") << QStringLiteral("ab/cd/ef") << kToday << QDate();
    }
    void birthDates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, today);
        QFETCH(QDate, date);
        QCOMPARE(RecoveryFile::birthDate(text, today), date);
    }

    void degreeCodes()
    {
        QCOMPARE(RecoveryFile::degreeCode(u'3'), QStringLiteral("M"));
        QCOMPARE(RecoveryFile::degreeCode(u'4'), QStringLiteral("D"));
        QCOMPARE(RecoveryFile::degreeCode(u' '), QString());
        QCOMPARE(RecoveryFile::degreeCode(u'D'), QString());
    }

    void projectTitleIsCutThenTrimmed()
    {
        QCOMPARE(RecoveryFile::projectTitle(u"  \r\nTITULO\r\nEM DUAS LINHAS \t  "), QStringLiteral("TITULO\r\nEM DUAS LINHAS"));
        // Characters past the 240th are dropped before the trim: a title that
        // only starts there is empty.
        QCOMPARE(RecoveryFile::projectTitle(QString(240, u' ') + QStringLiteral("ABC")), QString());
        const QString long255 = QString(239, u'A') + QStringLiteral(" B") + QString(14, u'C');
        QCOMPARE(RecoveryFile::projectTitle(long255), QString(239, u'A'));
    }

    void endOfFile_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("physical end") << QByteArray();
        QTest::newRow("Ctrl+Z") << QByteArray("\x1a");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF then Ctrl+Z and rubbish") << QByteArray("\n\x1a rubbish after the mark");
        QTest::newRow("one blank") << QByteArray(" ");
        QTest::newRow("zeros after Ctrl+Z") << QByteArray("\x1a") + QByteArray(1000, '\0');
    }
    void endOfFile()
    {
        QFETCH(QByteArray, tail);
        const RecoveryFile f(headerBytes(header()) + recordBytes(record()) + otherHolder(555666777) + tail);
        QCOMPARE(f.recordCount(), 2);
    }

    // A copy that stopped inside a record lost what came after it: the file is
    // refused, saying how much of it is whole.
    void fileEndingInsideARecordIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const QByteArray head = headerBytes(header());
        const QByteArray rec = recordBytes(record());
        QTest::newRow("a record cut short")
            << head + rec + otherHolder(555666777) + rec.left(300)
            << QStringLiteral("termina no meio do registro 3 (linha 4), com 300 dos seus 517 caracteres: a cópia do arquivo "
                              "está incompleta. Ele tem 2 registro(s) completo(s)");
        QTest::newRow("a record cut by Ctrl+Z")
            << head + rec + rec.left(40) + "\x1a" + rec.mid(41) << QStringLiteral("com 40 dos seus 517 caracteres");
        QTest::newRow("no whole record") << head + rec.left(11) << QStringLiteral("Ele tem 0 registro(s) completo(s)");
        QTest::newRow("LF alone") << QByteArray(head + rec + rec.left(400)).replace("\r\n", "\n")
                                  << QStringLiteral("com 400 dos seus 516 caracteres");
    }
    void fileEndingInsideARecordIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Input, [&] { RecoveryFile f(bytes); });
        QVERIFY(refused.has_value());
        QVERIFY2(refused->contains(says), qPrintable(*refused));
    }

    // Two records of one holder CPF would be two holders the agency takes for
    // one; holders deleted at the agency (blank CPF) are not stored and may
    // repeat.
    void repeatedHolderCpfIsRefusedNamingBothLines()
    {
        const QByteArray head = headerBytes(header());
        OldRecord other = record();
        other.cpf = cpfDigits(999888777);
        const QByteArray rec = recordBytes(record());
        const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Input, [&] {
            RecoveryFile f(head + rec + recordBytes(other) + rec);
        });
        QVERIFY(refused.has_value());
        QVERIFY2(refused->contains(QStringLiteral("dois registros de bolsista com o CPF %1, nas linhas 2 e 4 (registros 1 e 3)")
                                       .arg(formatted(cpfDigits(111222333)))),
                 qPrintable(*refused));

        OldRecord deleted = record();
        deleted.cpf = QString();
        QCOMPARE(RecoveryFile(head + recordBytes(deleted) + rec + recordBytes(deleted)).recordCount(), 3);
    }

    void lineEndsTurnedIntoLfAloneAreReadInPlace()
    {
        const QByteArray crlf = sampleFile();
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        const RecoveryFile a(crlf);
        const RecoveryFile b(lf);
        QCOMPARE(b.headerSize(), RecoveryFile::kHeaderSize - 1);
        QCOMPARE(b.recordSize(), RecoveryFile::kRecordSize - 1);
        QCOMPARE(b.recordCount(), 12);
        QCOMPARE(b.institution().nome, a.institution().nome);
        QCOMPARE(b.institution().numero, a.institution().numero);
        QCOMPARE(b.institution().cotas, a.institution().cotas);
        for (int i = 0; i < 12; ++i) {
            const RecoveryRecord x = a.record(i, kToday), y = b.record(i, kToday);
            QCOMPARE(y.cpf, x.cpf);
            QCOMPARE(y.nome, x.nome);
            QCOMPARE(y.nascimento, x.nascimento);
            QCOMPARE(y.cpfOrientador, x.cpfOrientador);
            QCOMPARE(y.titulo, x.titulo);
            QCOMPARE(y.codArea, x.codArea);
        }
    }

    void dataThatWouldBeReadOutOfPositionIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const QByteArray head = headerBytes(header());
        const QByteArray rec = recordBytes(record());
        QTest::newRow("a record one character short")
            << head + rec + rec.left(300) + rec.mid(301) + rec << QStringLiteral("O registro 2 do arquivo não termina");
        QTest::newRow("one record with LF alone")
            << head + rec + rec.left(515) + "\n" + rec << QStringLiteral("O registro 2 do arquivo não termina");
        OldRecord twoLines = record();
        twoLines.titulo = QStringLiteral("TITULO\r\nEM DUAS LINHAS");
        QTest::newRow("LF alone, also inside a title") << QByteArray(head + recordBytes(twoLines) + rec).replace("\r\n", "\n")
                                                       << QStringLiteral("O registro 1 do arquivo não termina");
        QTest::newRow("CR alone") << QByteArray(head + rec).replace("\r\n", "\r") << QStringLiteral("CR sem LF");
        // Without line ends only the positions tell; a CPF slot that takes
        // letters from the name shows the shift.
        QByteArray bare = head;
        bare.replace(189, 2, "  ");
        QByteArray bareRec = rec;
        bareRec.replace(515, 2, "  ");
        QTest::newRow("shifted by one, no line ends")
            << bare + bareRec + bareRec.mid(1) + ' ' << QStringLiteral("J\" no lugar do CPF do bolsista, na linha 3");
        QByteArray letterInAdvisorCpf = rec;
        letterInAdvisorCpf[117 + 10] = 'X';
        QTest::newRow("advisor CPF") << head + letterInAdvisorCpf << QStringLiteral("no lugar do CPF do orientador");
        QByteArray nulInName = rec;
        nulInName[20] = '\0';
        QTest::newRow("NUL in a name") << head + rec + nulInName << QStringLiteral("bytes nulos no registro 2");
        QTest::newRow("zeros after the header")
            << head + QByteArray(1 << 20, '\0') << QStringLiteral("bytes nulos no registro 1");
        QByteArray nulInHeader = head;
        nulInHeader[5] = '\0';
        QTest::newRow("NUL in the header") << nulInHeader + rec << QStringLiteral("bytes nulos no cabeçalho");
        QTest::newRow("NUL as the first byte") << '\0' + head.mid(1) + rec << QStringLiteral("bytes nulos no cabeçalho");

        // A letter or punctuation in a digit slot is a shift, or no file of
        // the format: refused naming the line, the slot and what it holds.
        const auto withSlot = [&](int offset, const QByteArray& value) {
            return QByteArray(rec).replace(offset, value.size(), value);
        };
        QTest::newRow("letter in the holder CPF")
            << head + rec + withSlot(0, "1234567890O")
            << QStringLiteral("tem \"1234567890O\" no lugar do CPF do bolsista, na linha 3 (registro 2), posição 11: esse "
                              "lugar só leva algarismos e espaços");
        QTest::newRow("punctuation in the advisor CPF")
            << head + withSlot(117, "123.456.789")
            << QStringLiteral("no lugar do CPF do orientador, na linha 2 (registro 1), posição 121");
        QTest::newRow("tab in the area code")
            << head + withSlot(504, "1010\t003") << QStringLiteral("tem \"1010?003\" no lugar do código da área do conhecimento");
        // A record moved one position left inside its own length, its line
        // end in place: the holder's name reaches the holder CPF's slot.
        QTest::newRow("record shifted left inside its length")
            << head + rec + rec.mid(1, 514) + " \r\n"
            << QStringLiteral("J\" no lugar do CPF do bolsista, na linha 3 (registro 2), posição 11");
        OldHeader lettered = header();
        lettered.numero = QStringLiteral("12A456/78-9");
        QTest::newRow("letter in the institution number")
            << headerBytes(lettered) + rec
            << QStringLiteral("tem \"12A456/78-9\" no lugar do número da instituição, na linha 1 (cabeçalho), posição 156");

        // A Ctrl+Z where a record is would drop the records after it.
        QTest::newRow("Ctrl+Z between records")
            << head + rec + '\x1a' + rec + rec << QStringLiteral("(Ctrl+Z) na linha 3 (registro 2), posição 1, antes do fim");
        QTest::newRow("Ctrl+Z in place of a record's first byte")
            << head + rec + '\x1a' + rec.mid(1) << QStringLiteral("(Ctrl+Z) na linha 3 (registro 2)");
        QTest::newRow("Ctrl+Z inside a record, records after it")
            << head + rec.left(40) + '\x1a' + rec.mid(41) + rec << QStringLiteral("(Ctrl+Z) na linha 2 (registro 1), posição 41");
        QTest::newRow("Ctrl+Z inside the header, records after it")
            << head.left(100) + '\x1a' + head.mid(101) + rec << QStringLiteral("(Ctrl+Z) na linha 1 (cabeçalho), posição 101");
    }

    // Blanks among the digits of a digit slot are read as they stand: the
    // record keeps its holder unless the holder CPF begins with three blanks,
    // and its advisor unless the advisor CPF does; the verification then names
    // what is incomplete. None of these may refuse the file.
    void digitSlotsWithBlanksAreReadAsTheyStand()
    {
        const QByteArray head = headerBytes(header());
        const QByteArray rec = recordBytes(record());
        const auto read = [&](int offset, const QByteArray& value) {
            return RecoveryFile(head + rec + otherHolder(555666777).replace(offset, value.size(), value)).record(1, kToday);
        };
        const RecoveryRecord noAdvisor = read(117, "   45678901");
        QCOMPARE(noAdvisor.cpfOrientador, QStringLiteral("   .456.789-01"));
        QVERIFY(noAdvisor.keepsHolder());
        QVERIFY(!noAdvisor.hasAdvisor());
        const RecoveryRecord deleted = read(0, "   45678901");
        QCOMPARE(deleted.cpf, QStringLiteral("   .456.789-01"));
        QVERIFY(!deleted.keepsHolder());
        const RecoveryRecord blankInside = read(0, "1  45678901");
        QCOMPARE(blankInside.cpf, QStringLiteral("1  .456.789-01"));
        QVERIFY(blankInside.keepsHolder());
        const RecoveryRecord advisorEnd = read(117, "4567890123 ");
        QCOMPARE(advisorEnd.cpfOrientador, QStringLiteral("456.789.012-3 "));
        QVERIFY(advisorEnd.hasAdvisor());
        QCOMPARE(read(504, "1010100 ").codArea, QStringLiteral("1010100"));

        // A record moved one position right inside its length brings a blank
        // and digits to every digit slot: it is read by position.
        const RecoveryFile shifted(head + rec + ' ' + rec.left(514) + "\r\n");
        QCOMPARE(shifted.recordCount(), 2);
        const RecoveryRecord r = shifted.record(1, kToday);
        QCOMPARE(r.cpf, formatCpf(u' ' + cpfDigits(111222333).left(10)));
        QVERIFY(r.nome.startsWith(cpfDigits(111222333).right(1) + QStringLiteral("JOÃO")));

        // The separators of the institution number are not examined.
        OldHeader h = header();
        h.numero = QStringLiteral("123456x78y9");
        QCOMPARE(RecoveryFile(headerBytes(h)).institution().numero, QStringLiteral("123456789"));
    }

    // The five bytes Windows-1252 leaves without a character, anywhere in
    // what is read (a name, a skipped slot, the header), are refused by line.
    void bytesWithoutACharacterAreRefusedByLine()
    {
        const QByteArray head = headerBytes(header());
        const QByteArray rec = recordBytes(record());
        struct Place {
            qsizetype offset;
            const char* line;
        };
        const Place places[] = {{RecoveryFile::kHeaderSize + RecoveryFile::kRecordSize + 12,
                                 "na linha 3 (registro 2), posição 13"},
                                {RecoveryFile::kHeaderSize + 513, "na linha 2 (registro 1), posição 514"},
                                {3, "na linha 1 (cabeçalho), posição 4"}};
        for (const char byte : {'\x81', '\x8d', '\x8f', '\x90', '\x9d'})
            for (const Place& p : places) {
                QByteArray bytes = head + rec + rec;
                bytes[p.offset] = byte;
                const std::optional<QString> refused = zelta::test::thrown(plat::Error::Kind::Input,
                                                                           [&] { RecoveryFile f(bytes); });
                const QString says
                    = QStringLiteral("byte 0x%1 %2").arg(QString::number(quint8(byte), 16).toUpper(), QString::fromUtf8(p.line));
                QVERIFY2(refused && refused->contains(says),
                         qPrintable(refused.value_or(QStringLiteral("taken")) + QStringLiteral(" / ") + says));
            }
        // Their neighbours, which the set defines, are read.
        QByteArray defined = head + rec;
        defined[RecoveryFile::kHeaderSize + 12] = '\x8e';
        defined[RecoveryFile::kHeaderSize + 13] = '\x9e';
        QCOMPARE(RecoveryFile(defined).record(0, kToday).nome.left(3), QStringLiteral("JŽž"));
    }
    void dataThatWouldBeReadOutOfPositionIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        try {
            RecoveryFile f(bytes);
            QFAIL("the file was taken");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Input);
            QVERIFY2(e.message().contains(says), qPrintable(e.message()));
        }
    }

    void loadRefusesWhatIsNotARegularFileAtOnce()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("FILA.TEX"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString link = dir.filePath(QStringLiteral("ZERO.TEX"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), link));
        for (const QString& path : {fifo, link, QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom")}) {
            // In a child under a watchdog: a reader that blocks fails here.
            const int code = zelta::test::inChild([&] {
                try {
                    RecoveryFile::load(path);
                    return 1;
                } catch (const plat::Error& e) {
                    if (e.kind() != plat::Error::Kind::Input)
                        return 3;
                    return e.message().startsWith(path + QStringLiteral(" não é um arquivo comum")) ? 0 : 2;
                }
            });
            QVERIFY2(code == 0, qPrintable(QStringLiteral("%1: %2").arg(path).arg(code)));
        }
    }

    void readingStopsAtTheLimitWhateverTheReportedSize()
    {
        using Problem = plat::sys::FileContents::Problem;
        // Files under /proc report no size and still have content.
        const plat::sys::FileContents status = plat::sys::readRegularFile(QStringLiteral("/proc/self/status"), 1 << 20);
        QVERIFY(status.ok());
        QVERIFY(status.bytes.size() > 64);
        QCOMPARE(plat::sys::readRegularFile(QStringLiteral("/proc/self/status"), 64).problem, Problem::TooLarge);

        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("A.TEX")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("0123456789");
        f.close();
        QCOMPARE(plat::sys::readRegularFile(f.fileName(), 10).bytes, QByteArray("0123456789"));
        QCOMPARE(plat::sys::readRegularFile(f.fileName(), 9).problem, Problem::TooLarge);
        QCOMPARE(plat::sys::readRegularFile(dir.path(), 10).problem, Problem::Directory);
        QCOMPARE(plat::sys::readRegularFile(dir.filePath(QStringLiteral("B.TEX")), 10).problem, Problem::Missing);
    }

    void fileThatEndsAfterItsHeaderHasNoRecord()
    {
        QCOMPARE(RecoveryFile(headerBytes(header())).recordCount(), 0);
        QCOMPARE(RecoveryFile(headerBytes(header()) + "\x1a").recordCount(), 0);
        // With LF alone the header is 190 bytes: a file of exactly that size
        // is a header-only file, found by its LF.
        const QByteArray lfOnly = headerBytes(header()).replace("\r\n", "\n");
        QCOMPARE(lfOnly.size(), RecoveryFile::kHeaderSize - 1);
        const RecoveryFile f(lfOnly);
        QCOMPARE(f.headerSize(), RecoveryFile::kHeaderSize - 1);
        QCOMPARE(f.recordCount(), 0);
        QCOMPARE(f.institution().numero, QStringLiteral("123456789"));
    }

    void loadReportsAMissingFileInPortuguese()
    {
        try {
            RecoveryFile::load(QStringLiteral("/nao/existe/ARQUIVO.TEX"));
            QFAIL("a missing file was read");
        } catch (const plat::Error& e) {
            QCOMPARE(e.kind(), plat::Error::Kind::Input);
            QCOMPARE(e.message(), QStringLiteral("O arquivo /nao/existe/ARQUIVO.TEX não foi encontrado"));
        }
        QVERIFY(zelta::test::throws(plat::Error::Kind::Input, [&] { RecoveryFile::load(QDir::tempPath()); }));
    }

    void sampleFileReadsCleanly()
    {
        const RecoveryFile f(sampleFile());
        QCOMPARE(f.institution().sigla, QStringLiteral("UEVE"));
        QCOMPARE(f.institution().cotas, 15);
        QCOMPARE(f.recordCount(), 12);
        for (int i = 0; i < f.recordCount(); ++i) {
            const RecoveryRecord r = f.record(i, kToday);
            QVERIFY2(r.nascimento.isValid(), qPrintable(r.nome));
            QCOMPARE(r.codArea.size(), 8);
        }
    }
};

QTEST_GUILESS_MAIN(TestRecoveryFile)
#include "test_recovery_file.moc"
