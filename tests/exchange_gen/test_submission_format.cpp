// The submission file's layout: text helpers, header line, holder record.
#include "exchange/SubmissionFormat.h"
#include "platform/system/Cp1252.h"
#include "support/SubmissionFile.h"
#include "support/Throws.h"

#include <QtTest>

using namespace zelta;

namespace {

// Characters p..p+n-1 of a record, positions counted from 1.
QByteArray at(const QByteArray& record, int position, int width) { return record.mid(position - 1, width); }

QByteArray blanks(int n) { return QByteArray(n, ' '); }

SubmissionHolder sampleHolder()
{
    SubmissionHolder h;
    h.cpf = QStringLiteral("123.456.789-09");
    h.nome = QStringLiteral("MARIA DA CONCEIÇÃO");
    h.sexo = QStringLiteral("F");
    h.nascimento = QDate(1980, 3, 5);
    h.processo = QStringLiteral("12345678901");
    h.demanda = QStringLiteral("99/97");
    h.situacao = QStringLiteral("Renovado");
    h.seguroSaude = QStringLiteral("S");
    h.codigoAgencia = QStringLiteral("1234-5");
    h.cpfOrientador = QStringLiteral("987.654.321-00");
    return h;
}

SubmissionAdvisor sampleAdvisor()
{
    SubmissionAdvisor a;
    a.nome = QStringLiteral("JOÃO DE ARAÚJO");
    a.titulacao = QStringLiteral("D");
    a.titulo = QStringLiteral("Ação Científica");
    a.chave1 = QStringLiteral("SOLOS");
    a.chave2 = QStringLiteral("ÁGUA");
    a.chave3 = QString();
    a.codArea = QStringLiteral("10101003");
    a.pesquisador = QStringLiteral("S");
    a.categoria = QStringLiteral("1A");
    return a;
}

QByteArray padded(const QByteArray& bytes, int width) { return bytes + blanks(width - int(bytes.size())); }

// The slots of the sample's record that the tests below vary, as the file
// carries them; the defaults are the sample holder's and advisor's.
struct Slots {
    QByteArray nome = "MARIA DA CONCEICAO";
    QByteArray processo = "12345678901";
    QByteArray orientador = "JOAO DE ARAUJO";
    QByteArray titulo = "ACAO CIENTIFICA";
    QByteArray chave1 = "SOLOS";
    QByteArray chave3;
};

// The sample's whole record written out field by field, with the given slots.
QByteArray expectedRecord(const Slots& s)
{
    return " 12345678909" + padded(s.nome, 60) + "F05/03/80" + padded(s.processo, 11) + "99/97RNRNS1234-5" + blanks(10)
           + "98765432100" + padded(s.orientador, 60) + "4" + padded(s.titulo, 255) + padded(s.chave1, 20) + padded("AGUA", 20)
           + padded(s.chave3, 20) + "10101003S1A \n";
}

} // namespace

class TestSubmissionFormat : public QObject {
    Q_OBJECT
private slots:
    void textIsCleanedForTheFile()
    {
        // Accents go keeping the case, then only a-z are raised; control
        // characters become blanks; letters outside the list stay as they are.
        SubmissionHolder h = sampleHolder();
        h.nome = QStringLiteral("ÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÃÕÄËÏÖÜÇáéíóúàèìòùâêîôûãõäëïöüç");
        SubmissionAdvisor a = sampleAdvisor();
        a.nome = QStringLiteral("piñata ÑÝýÅåºªÆø");
        QString every; // every C0 control character and DEL
        for (char16_t c = 0; c < 0x20; ++c)
            every.append(QChar(c));
        every.append(QChar(0x7F));
        a.titulo = QStringLiteral("ABC\r\nDEF\n\rG") + every + QStringLiteral("H ~\u00A0");
        const QByteArray r = holderRecord(h, &a);
        QCOMPARE(at(r, 13, 46), QByteArray("AEIOUAEIOUAEIOUAOAEIOUCAEIOUAEIOUAEIOUAOAEIOUC"));
        QCOMPARE(at(r, 130, 16), plat::sys::toCp1252(QStringLiteral("PIñATA ÑÝýÅåºªÆø")));
        QCOMPARE(at(r, 191, 48), QByteArray("ABC  DEF  G") + blanks(33) + QByteArray("H ~\xA0"));
        // A value at least as long as its slot fills it without padding.
        h.processo = QStringLiteral("ABCDEFGHIJKLM");
        QCOMPARE(at(holderRecord(h, &a), 82, 12), QByteArray("ABCDEFGHIJK9"));
    }

    void headerLine_data()
    {
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("nine characters") << QStringLiteral("123456789") << QByteArray("123456/78-9\n");
        // The header is not cleaned: lower case and accents stay.
        QTest::newRow("as is") << QStringLiteral("ab3456çd9")
                               << QByteArray("ab3456/\xE7"
                                             "d-9\n");
        // A short number keeps the header at 12 bytes, so records keep their offsets.
        QTest::newRow("short") << QStringLiteral("1234567") << QByteArray("123456/7 - \n");
        QTest::newRow("empty") << QString() << QByteArray("      /  - \n");
        QTest::newRow("long") << QStringLiteral("1234567890") << QByteArray("123456/78-9\n");
    }
    void headerLine()
    {
        QFETCH(QString, numero);
        QFETCH(QByteArray, header);
        QCOMPARE(zelta::headerLine(numero), header);
    }

    void recordHasEveryFieldAtItsPosition()
    {
        const SubmissionAdvisor a = sampleAdvisor();
        const QByteArray r = holderRecord(sampleHolder(), &a);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 1, 1), QByteArray(" "));
        QCOMPARE(at(r, 2, 11), QByteArray("12345678909"));
        QCOMPARE(at(r, 13, 60), QByteArray("MARIA DA CONCEICAO") + blanks(42));
        QCOMPARE(at(r, 73, 1), QByteArray("F"));
        QCOMPARE(at(r, 74, 8), QByteArray("05/03/80"));
        QCOMPARE(at(r, 82, 11), QByteArray("12345678901"));
        QCOMPARE(at(r, 93, 5), QByteArray("99/97"));
        QCOMPARE(at(r, 98, 4), QByteArray("RNRN"));
        QCOMPARE(at(r, 102, 1), QByteArray("S"));
        QCOMPARE(at(r, 103, 6), QByteArray("1234-5"));
        QCOMPARE(at(r, 109, 10), blanks(10));
        QCOMPARE(at(r, 119, 11), QByteArray("98765432100"));
        QCOMPARE(at(r, 130, 60), QByteArray("JOAO DE ARAUJO") + blanks(46));
        QCOMPARE(at(r, 190, 1), QByteArray("4"));
        QCOMPARE(at(r, 191, 255), QByteArray("ACAO CIENTIFICA") + blanks(240));
        QCOMPARE(at(r, 446, 20), QByteArray("SOLOS") + blanks(15));
        QCOMPARE(at(r, 466, 20), QByteArray("AGUA") + blanks(16));
        QCOMPARE(at(r, 486, 20), blanks(20));
        QCOMPARE(at(r, 506, 8), QByteArray("10101003"));
        QCOMPARE(at(r, 514, 1), QByteArray("S"));
        QCOMPARE(at(r, 515, 2), QByteArray("1A"));
        QCOMPARE(at(r, 517, 2), QByteArray(" \n"));
    }

    void nameFillsItsSlotExactly()
    {
        SubmissionHolder h = sampleHolder();
        const SubmissionAdvisor a = sampleAdvisor();
        h.nome = QString(60, u'N');
        QByteArray r = holderRecord(h, &a);
        QCOMPARE(at(r, 13, 60), QByteArray(60, 'N'));
        QCOMPARE(at(r, 73, 1), QByteArray("F"));
        h.nome = QStringLiteral("ANA");
        r = holderRecord(h, &a);
        QCOMPARE(at(r, 13, 60), QByteArray("ANA") + blanks(57));
    }

    void birthDate_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QByteArray>("slot");
        QTest::newRow("empty") << QDate() << blanks(8);
        QTest::newRow("zero date") << QDate(1899, 12, 30) << blanks(8);
        QTest::newRow("written 30/12/99") << QDate(1999, 12, 30) << blanks(8);
        QTest::newRow("leading zeros") << QDate(2001, 2, 3) << QByteArray("03/02/01");
        QTest::newRow("other century") << QDate(1905, 11, 30) << QByteArray("30/11/05");
    }
    void birthDate()
    {
        QFETCH(QDate, date);
        QFETCH(QByteArray, slot);
        SubmissionHolder h = sampleHolder();
        h.nascimento = date;
        const SubmissionAdvisor a = sampleAdvisor();
        QCOMPARE(at(holderRecord(h, &a), 74, 8), slot);
    }

    void codesCompareTheStoredText_data()
    {
        QTest::addColumn<QString>("situacao");
        QTest::addColumn<QString>("titulacao");
        QTest::addColumn<QByteArray>("situationSlot");
        QTest::addColumn<QByteArray>("degreeSlot");
        QTest::newRow("renewed, master") << QStringLiteral("Renovado") << QStringLiteral("M") << QByteArray("RNRN")
                                         << QByteArray("3");
        QTest::newRow("excluded, doctor") << QStringLiteral("Excluído") << QStringLiteral("D") << QByteArray("EXEX")
                                          << QByteArray("4");
        QTest::newRow("new") << QStringLiteral("Novo") << QStringLiteral("D") << QByteArray("NVNV") << QByteArray("4");
        QTest::newRow("empty") << QString() << QString() << blanks(4) << blanks(1);
        // Cleaning raises letters only after the codes were chosen.
        QTest::newRow("lower case") << QStringLiteral("novo") << QStringLiteral("m") << blanks(4) << blanks(1);
        QTest::newRow("old two-letter code") << QStringLiteral("RN") << QStringLiteral("d") << blanks(4) << blanks(1);
        QTest::newRow("excluded without accent") << QStringLiteral("Excluido") << QStringLiteral("X") << blanks(4) << blanks(1);
    }
    void codesCompareTheStoredText()
    {
        QFETCH(QString, situacao);
        QFETCH(QString, titulacao);
        QFETCH(QByteArray, situationSlot);
        QFETCH(QByteArray, degreeSlot);
        SubmissionHolder h = sampleHolder();
        h.situacao = situacao;
        SubmissionAdvisor a = sampleAdvisor();
        a.titulacao = titulacao;
        const QByteArray r = holderRecord(h, &a);
        QCOMPARE(at(r, 98, 4), situationSlot);
        QCOMPARE(at(r, 190, 1), degreeSlot);
    }

    void titleOnTwoLines()
    {
        SubmissionAdvisor a = sampleAdvisor();
        a.titulo = QStringLiteral("ABC\r\nDEF");
        const QByteArray r = holderRecord(sampleHolder(), &a);
        QCOMPARE(at(r, 191, 255), QByteArray("ABC  DEF") + blanks(247));
        QVERIFY(!r.contains('\r'));
        QCOMPARE(r.count('\n'), 1);
        QVERIFY(r.endsWith(" \n"));
    }

    void controlCharactersInStoredTextsKeepTheRecordLength()
    {
        SubmissionHolder h = sampleHolder();
        SubmissionAdvisor a = sampleAdvisor();
        h.nome = QStringLiteral("ANA\tMARIA\u0000");
        h.processo = QStringLiteral("123\u001A456");
        a.titulo = QStringLiteral("SOLO\u007FE AGUA\u001B");
        a.chave1 = QStringLiteral("\fCHAVE");
        const QByteArray r = holderRecord(h, &a);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 13, 10), QByteArray("ANA MARIA "));
        QCOMPARE(at(r, 82, 7), QByteArray("123 456"));
        QCOMPARE(at(r, 191, 12), QByteArray("SOLO E AGUA "));
        QCOMPARE(at(r, 446, 6), QByteArray(" CHAVE"));
        for (char c : r.chopped(1))
            QVERIFY(uchar(c) >= 0x20 && uchar(c) != 0x7F);
        QCOMPARE(r, expectedRecord({"ANA MARIA ", "123 456", "JOAO DE ARAUJO", "SOLO E AGUA ", " CHAVE", ""}));
    }

    void fullTitleIsNeverShortened()
    {
        SubmissionAdvisor a = sampleAdvisor();
        a.titulo = QString(239, u'T') + u'Z';
        const QByteArray r = holderRecord(sampleHolder(), &a);
        QCOMPARE(at(r, 191, 240), QByteArray(239, 'T') + 'Z');
        QCOMPARE(at(r, 431, 15), blanks(15));
        QCOMPARE(at(r, 446, 5), QByteArray("SOLOS"));
    }

    void valuesNeverMoveLaterPositions()
    {
        SubmissionHolder h = sampleHolder();
        SubmissionAdvisor a = sampleAdvisor();
        a.codArea = QStringLiteral("1.01.01.00-3"); // 12 characters, as the table admits
        h.nome = QString(70, u'X');
        h.codigoAgencia = QStringLiteral("1234-567");
        a.titulo = QString(300, u'T');
        QByteArray r = holderRecord(h, &a);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 13, 60), QByteArray(60, 'X'));
        QCOMPARE(at(r, 73, 1), QByteArray("F"));
        QCOMPARE(at(r, 103, 6), QByteArray("1234-5"));
        QCOMPARE(at(r, 191, 255), QByteArray(255, 'T'));
        QCOMPARE(at(r, 506, 8), QByteArray("1.01.01."));
        QCOMPARE(at(r, 514, 1), QByteArray("S"));

        // The short or empty CPF of an excluded holder keeps its slot.
        h.situacao = QStringLiteral("Excluído");
        h.cpf = QStringLiteral("123.456");
        h.cpfOrientador = QString();
        r = holderRecord(h, &a);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 2, 11), QByteArray("123456     "));
        QCOMPARE(at(r, 13, 3), QByteArray("XXX"));
        QCOMPARE(at(r, 119, 11), blanks(11));
        QCOMPARE(at(r, 130, 14), QByteArray("JOAO DE ARAUJO"));
    }

    void charactersOutsideTheCodePageBecomeOneQuestionMark()
    {
        SubmissionHolder h = sampleHolder();
        h.nome = QStringLiteral("ANA Ω ") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral(" SILVA");
        SubmissionAdvisor a = sampleAdvisor();
        a.nome = QStringLiteral("JOSÉ €"); // the euro sign is in the code page
        const QByteArray r = holderRecord(h, &a);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 13, 13), QByteArray("ANA ? ? SILVA"));
        QCOMPARE(at(r, 73, 1), QByteArray("F"));
        QCOMPARE(at(r, 130, 6), QByteArray("JOSE \x80"));

        // The five code points a byte without a character is read as (an old
        // file, a pasted text) are no characters of the set either.
        h.nome = QStringLiteral("A\u0081\u008D\u008F\u0090\u009DB");
        QCOMPARE(at(holderRecord(h, &a), 13, 7), QByteArray("A?????B"));
        // Whatever a stored text holds, the record decodes.
        for (char32_t first = 0; first < 0x10000; first += 60) {
            QString text;
            for (char32_t c = first; c < first + 60 && c < 0x10000; ++c)
                text.append(QChar(char16_t(c)));
            h.nome = text;
            a.titulo = text;
            zelta::test::checkedSubmission(holderRecord(h, &a));
        }
        QCOMPARE(zelta::headerLine(QStringLiteral("\u0081\u008D\u008F\u0090\u009D6789")), QByteArray("?????6/78-9\n"));
    }

    void holderWithoutAdvisorGetsBlanks()
    {
        const QByteArray r = holderRecord(sampleHolder(), nullptr);
        QCOMPARE(r.size(), kRecordSize);
        QCOMPARE(at(r, 119, 11), QByteArray("98765432100")); // the holder's own field
        QCOMPARE(at(r, 130, 387), blanks(387));
        QVERIFY(r.endsWith(" \n"));
    }

    void recordMatchesTheRulesStepByStep_data()
    {
        // Each text goes into the holder's name and process, the advisor's name
        // (in lower case), key word 3 and the title (twice).
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("clean");
        QTest::addColumn<QByteArray>("lowered");
        QTest::newRow("ñ is no accented letter") << QStringLiteral("piñata çedilha")
                                                 << QByteArray("PI\xF1"
                                                               "ATA CEDILHA")
                                                 << QByteArray("PI\xF1"
                                                               "ATA CEDILHA");
        QTest::newRow("line break, ğ outside the set")
            << QStringLiteral("Ölçü\r\nÇağ") << QByteArray("OLCU  CA?") << QByteArray("OLCU  CA?");
        QTest::newRow("letters kept as they are") << QStringLiteral("ÿ ý Ý œ Š ž") << QByteArray("\xFF \xFD \xDD \x9C \x8A \x9E")
                                                  << QByteArray("\xFF \xFD \xFD \x9C \x9A \x9E");
        QTest::newRow("lone LF and CR") << QStringLiteral("a\nb\rc") << QByteArray("A B C") << QByteArray("A B C");
        QTest::newRow("empty") << QString() << QByteArray() << QByteArray();
    }
    void recordMatchesTheRulesStepByStep()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, clean);
        QFETCH(QByteArray, lowered);
        SubmissionHolder h = sampleHolder();
        h.nome = text;
        h.processo = text.left(11);
        SubmissionAdvisor a = sampleAdvisor();
        a.titulo = text + text;
        a.chave3 = text.left(20);
        a.nome = text.toLower();
        QCOMPARE(holderRecord(h, &a), expectedRecord({clean, clean.left(11), lowered, clean + clean, "SOLOS", clean}));
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("name");
        QTest::newRow("ninth character left out") << QStringLiteral("123456789") << QStringLiteral("12345678.htm");
        QTest::newRow("short") << QStringLiteral("1234") << QStringLiteral("1234.htm");
        QTest::newRow("separator in ninth place") << QStringLiteral("12345678/") << QStringLiteral("12345678.htm");
        QTest::newRow("slash") << QStringLiteral("12/45/789") << QString();
        QTest::newRow("climbing") << QStringLiteral("../../etc") << QString();
        QTest::newRow("backslash") << QStringLiteral("..\\x") << QString();
        QTest::newRow("drive") << QStringLiteral("C:123") << QString();
        QTest::newRow("wildcard") << QStringLiteral("1234*") << QString();
        QTest::newRow("line break") << QStringLiteral("1234\n5678") << QString();
        QTest::newRow("line break in ninth place") << QStringLiteral("12345678\n") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks") << QStringLiteral("   ") << QString();
        QTest::newRow("dots") << QStringLiteral("........9") << QString();
    }
    void fileName()
    {
        QFETCH(QString, numero);
        QFETCH(QString, name);
        if (name.isEmpty())
            QVERIFY(zelta::test::throws(plat::Error::Kind::Output, [&] { submissionFileName(numero); }));
        else
            QCOMPARE(submissionFileName(numero), name);
    }
};

QTEST_GUILESS_MAIN(TestSubmissionFormat)
#include "test_submission_format.moc"
