// The data module: provisioning of the alias directory, the area table, the
// schema version, damaged files, and the CPF/CGC validator.
#include "data/AreaTree.h"
#include "data/TDm_Dados.h"
#include "platform/system/Cp1252.h"
#include "platform/system/Error.h"
#include "platform/system/TextEntry.h"
#include "support/TestData.h"
#include "validation/TVlCpfCgc.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace plat::db;
using zelta::TDm_Dados;
using zelta::TVlCpfCgc;

class TestData_ : public QObject {
    Q_OBJECT
private slots:
    void firstStartProvisionsTheDirectory()
    {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QStringLiteral("/dados/novos");
        TDm_Dados dm(dir);
        QVERIFY(!QFile::exists(dir)); // nothing happens before the first use
        dm.Tb_Instituicao->open();
        QVERIFY(QFile::exists(dir + QStringLiteral("/zelta99.db")));
        QCOMPARE(dm.Tb_Instituicao->recordCount(), 1);
        QCOMPARE(dm.Tb_Instituicao->field(QStringLiteral("Sigla")).asString(), QString());
        QCOMPARE(dm.Tb_Instituicao->field(QStringLiteral("Cotas")).asFloat(), 0.0);
        QCOMPARE(dm.database().userVersion(), TDm_Dados::kSchemaVersion);
        for (const char* t : {"ZELTAINT", "ZELTAORI", "ZELTABOL", "GRANDE_A", "ZELTAERR"})
            QCOMPARE(dm.database()
                         .scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name=?"), {QString::fromLatin1(t)})
                         .toInt(),
                     1);
        QCOMPARE(dm.database().scalar(QStringLiteral("SELECT count(*) FROM GRANDE_A")).toInt(), 1283);
    }

    void reopeningKeepsTheData()
    {
        QTemporaryDir tmp;
        {
            TDm_Dados dm(tmp.path());
            dm.database().exec(QStringLiteral("UPDATE ZELTAINT SET Sigla='UFX'"));
        }
        TDm_Dados again(tmp.path());
        again.Tb_Instituicao->open();
        QCOMPARE(again.Tb_Instituicao->field(QStringLiteral("Sigla")).asString(), QStringLiteral("UFX"));
        QCOMPARE(again.database().scalar(QStringLiteral("SELECT count(*) FROM GRANDE_A")).toInt(), 1283);
    }

    void damagedOrForeignFilesAreReportedAndKept()
    {
        QTemporaryDir tmp;
        const QString file = tmp.path() + QStringLiteral("/zelta99.db");
        QByteArray garbage("isto não é um banco de dados\n");
        garbage = garbage.repeated(200);
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(garbage);
        }
        TDm_Dados dm(tmp.path());
        QVERIFY_THROWS_EXCEPTION(plat::Error, dm.Tb_Bolsistas->open());
        QVERIFY(!dm.Tb_Bolsistas->isOpen());
        QVERIFY_THROWS_EXCEPTION(plat::Error, dm.Tb_Instituicao->open()); // retried, still refused
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), garbage);

        // A database of another program is not taken over either.
        QTemporaryDir other;
        {
            Database db;
            db.open(other.path() + QStringLiteral("/zelta99.db"), true);
            db.exec(QStringLiteral("CREATE TABLE ALHEIA (X)"));
        }
        TDm_Dados dm2(other.path());
        QVERIFY_THROWS_EXCEPTION(plat::Error, dm2.Tb_Bolsistas->open());

        // A newer schema is refused, not downgraded.
        QTemporaryDir newer;
        {
            TDm_Dados dm3(newer.path());
            dm3.database().setUserVersion(TDm_Dados::kSchemaVersion + 1);
        }
        TDm_Dados dm4(newer.path());
        QVERIFY_THROWS_EXCEPTION(plat::Error, dm4.Tb_Bolsistas->open());
    }

    void areaTreeAndTableAgree()
    {
        const auto& tree = zelta::areaTree();
        QCOMPARE(tree.size(), 1283);
        int levels[4] = {};
        QSet<QString> names, codes;
        for (const auto& n : tree) {
            ++levels[n.level];
            names.insert(n.name);
            codes.insert(n.code);
            QCOMPARE(n.code.size(), 12);
            const QString digits = QString(n.code).remove(u'.').remove(u'-');
            QCOMPARE(digits.size(), 8);
            QCOMPARE(zelta::areaCheckDigit(digits.left(7)), digits.right(1));
        }
        QCOMPARE(levels[1], 76);
        QCOMPARE(levels[2], 340);
        QCOMPARE(levels[3], 867);
        QCOMPARE(names.size(), 1283);
        QCOMPARE(codes.size(), 1283);
        QCOMPARE(tree.first().name, QStringLiteral("ADMINISTRACAO"));
        QCOMPARE(tree.first().code, QStringLiteral("1.01.00.00-") + zelta::areaCheckDigit(QStringLiteral("1010000")));
        QCOMPARE(tree.at(1).code.left(10), QStringLiteral("1.01.01.00"));
        QCOMPARE(tree.at(2).code.left(10), QStringLiteral("1.01.01.01"));
        QVERIFY(names.contains(QStringLiteral("ECONOMIA  DOS RECURSOS HUMANOS")));
        QVERIFY(names.contains(QStringLiteral("AEROELASTI?ICIDADE")));

        zelta::test::TestData d;
        Table& t = *d.dm().Tb_SubArea;
        t.open();
        QVERIFY(t.findKey({QStringLiteral("ZOOTECNIA")}));
        const QString code = t.field(QStringLiteral("CODIGO")).asString();
        t.setIndexName(QStringLiteral("Id_CodSubarea"));
        QVERIFY(t.findKey({code}));
        QCOMPARE(t.field(QStringLiteral("SUBAREA")).asString(), QStringLiteral("ZOOTECNIA"));
        QCOMPARE(code, tree.at([&] {
                               for (int i = 0; i < tree.size(); ++i)
                                   if (tree[i].name == QStringLiteral("ZOOTECNIA"))
                                       return i;
                               return 0;
                           }())
                           .code);
    }

    void malformedAreaLinesAreRefused()
    {
        QVERIFY_THROWS_EXCEPTION(plat::Error, zelta::parseAreaTree(QStringLiteral("2 SEM PAI\n")));
        QVERIFY_THROWS_EXCEPTION(plat::Error, zelta::parseAreaTree(QStringLiteral("1 A\n3 PULOU\n")));
        QVERIFY_THROWS_EXCEPTION(plat::Error, zelta::parseAreaTree(QStringLiteral("X NOME\n")));
    }

    void cp1252RoundTrip()
    {
        const QString text = QString::fromUtf8("AÇÃO CIENTÍFICA € – “aspas” ñ");
        const QByteArray bytes = plat::sys::toCp1252(text);
        QCOMPARE(bytes.size(), text.size());
        QCOMPARE(quint8(bytes.at(1)), quint8(0xC7));
        QCOMPARE(plat::sys::fromCp1252(bytes), text);
        QCOMPARE(plat::sys::toCp1252(QString::fromUtf8("a\u4e2db😀c")), QByteArray("a?b?c"));
        // The five bytes without a character are read, never written.
        const QByteArray undefined("\x81\x8d\x8f\x90\x9d");
        QCOMPARE(plat::sys::toCp1252(plat::sys::fromCp1252(undefined)), QByteArray("?????"));
        QCOMPARE(plat::sys::firstUndefinedCp1252(QByteArray("\x80\x8e\x9f \x8f")), 4);
    }

    void textThatEntersIsComposedAndCarried_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<bool>("lineBreaksKept");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position"); // of the first character refused, -1 for none
        QTest::addColumn<uint>("character");
        const QString decomposed = QStringLiteral("E\u0301RICA CONCEIC\u0327A\u0303O");
        QTest::newRow("accents written apart") << decomposed << false << QStringLiteral("ÉRICA CONCEIÇÃO") << -1 << 0u;
        QTest::newRow("the set's own signs")
            << QStringLiteral("€ – “Œ” ÿ\u00a0") << false << QStringLiteral("€ – “Œ” ÿ\u00a0") << -1 << 0u;
        QTest::newRow("composed outside the set")
            << QStringLiteral("AC\u030c") << false << QStringLiteral("A\u010c") << 1 << 0x10Cu;
        QTest::newRow("accent with no letter to join")
            << QStringLiteral("Q\u0301") << false << QStringLiteral("Q\u0301") << 1 << 0x301u;
        QTest::newRow("NUL") << QStringLiteral("AB") + QChar(u'\0') << false << QStringLiteral("AB") + QChar(u'\0') << 2 << 0u;
        QTest::newRow("C0") << QStringLiteral("A\tB") << false << QStringLiteral("A\tB") << 1 << 9u;
        QTest::newRow("undefined byte's code") << QStringLiteral("AB\u008d") << false << QStringLiteral("AB\u008d") << 2 << 0x8Du;
        QTest::newRow("emoji, one character") << QStringLiteral("OI 😀!") << false << QStringLiteral("OI 😀!") << 3 << 0x1F600u;
        QTest::newRow("CJK") << QStringLiteral("中") << false << QStringLiteral("中") << 0 << 0x4E2Du;
        QTest::newRow("line break refused") << QStringLiteral("A\r\nB") << false << QStringLiteral("A\r\nB") << 1 << 13u;
        QTest::newRow("line breaks kept") << QStringLiteral("A\r\nB\nC") << true << QStringLiteral("A\r\nB\nC") << -1 << 0u;
        QTest::newRow("kept, but not a tab") << QStringLiteral("A\nB\tC") << true << QStringLiteral("A\nB\tC") << 3 << 9u;
    }

    void textThatEntersIsComposedAndCarried()
    {
        QFETCH(QString, raw);
        QFETCH(bool, lineBreaksKept);
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(uint, character);
        using plat::sys::LineBreaks;
        const plat::sys::EnteredText e = plat::sys::enterText(raw, lineBreaksKept ? LineBreaks::Kept : LineBreaks::Refused);
        QCOMPARE(e.text, text);
        QCOMPARE(int(e.refusal.position), position);
        QCOMPARE(uint(e.refusal.character), character);
        // What enters is written to the agency's file without a '?' of its own.
        if (!e.refusal)
            QVERIFY(!plat::sys::toCp1252(e.text).contains('?'));
    }

    void validatorShapesAndCheckDigits_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("ret");
        QTest::addColumn<int>("mode");
        const int cpf = TVlCpfCgc::moCPF, cgc = TVlCpfCgc::moCGC;
        QTest::newRow("cpf punctuated") << "123.456.789-09" << true << "123.456.789-09" << cpf;
        QTest::newRow("cpf 12") << "123456789-09" << true << "123.456.789-09" << cpf;
        QTest::newRow("cpf bare") << "12345678909" << true << "123.456.789-09" << cpf;
        QTest::newRow("cpf wrong digits") << "123.456.789-00" << false << "123.456.789-00" << cpf;
        QTest::newRow("cpf partly typed") << "123.456.789-0_" << false << "123.456.789-0_" << cpf;
        QTest::newRow("cpf blanks") << "   .   .   -  " << false << "   .   .   -  " << cpf;
        QTest::newRow("repeated digits") << "111.111.111-11" << true << "111.111.111-11" << cpf;
        QTest::newRow("zeros") << "000.000.000-00" << true << "000.000.000-00" << cpf;
        QTest::newRow("cgc punctuated") << "11.222.333/0001-81" << true << "11.222.333/0001-81" << cgc;
        QTest::newRow("cgc 16") << "11222333/0001-81" << true << "11.222.333/0001-81" << cgc;
        QTest::newRow("cgc bare") << "11222333000181" << true << "11.222.333/0001-81" << cgc;
        QTest::newRow("cgc wrong") << "11.222.333/0001-82" << false << "11.222.333/0001-82" << cgc;
        QTest::newRow("misplaced separators") << "123.456.78-909" << false << "12.3.4.56./78-9-09" << cgc;
        QTest::newRow("empty") << "" << false << "../-" << cgc;
        QTest::newRow("12 without hyphen") << "123456789009" << false << "../-" << cgc;
        QTest::newRow("18 without separators") << "112223330001810000" << false << "../-" << cgc;
        QTest::newRow("odd length") << "1234" << false << "../-" << cgc;
    }

    void validatorShapesAndCheckDigits()
    {
        QFETCH(QString, input);
        QFETCH(bool, valid);
        QFETCH(QString, ret);
        QFETCH(int, mode);
        TVlCpfCgc v;
        v.setInput(input);
        QCOMPARE(v.Valid(), valid);
        QCOMPARE(v.Return(), ret);
        QCOMPARE(int(v.Mode()), mode);
        QCOMPARE(int(v.TPdoc()), mode == TVlCpfCgc::moCPF ? int(TVlCpfCgc::CPF) : int(TVlCpfCgc::CGC));
        QCOMPARE(v.Input(), input);
    }

    void validatorStateRules()
    {
        TVlCpfCgc v;
        QCOMPARE(v.Mode(), TVlCpfCgc::moCPF);
        QCOMPARE(v.TPdoc(), TVlCpfCgc::CPF);
        QVERIFY(!v.Valid());
        QCOMPARE(v.Return(), QString());

        v.loadStoredState(); // the main window's stored instance
        QCOMPARE(v.Mode(), TVlCpfCgc::moCGC);
        QCOMPARE(v.TPdoc(), TVlCpfCgc::CGC);
        QCOMPARE(v.Return(), QStringLiteral("../-"));
        QVERIFY(!v.Valid());

        v.setMode(TVlCpfCgc::moCPF); // re-checks the empty input
        QCOMPARE(v.Mode(), TVlCpfCgc::moCGC);
        v.setValid(true);
        v.setReturn(QStringLiteral("x"));
        v.setTPdoc(TVlCpfCgc::CPF);
        QVERIFY(!v.Valid());
        QCOMPARE(v.Return(), QStringLiteral("../-"));
        QCOMPARE(v.TPdoc(), TVlCpfCgc::CGC);

        v.setInput(QStringLiteral("123.456.789-09"));
        v.setMode(TVlCpfCgc::moCGC); // a change re-checks: the shape decides again
        QCOMPARE(v.Mode(), TVlCpfCgc::moCPF);
        QVERIFY(v.Valid());
        v.setSobre(QStringLiteral("livre"));
        QCOMPARE(v.Sobre(), QStringLiteral("livre"));
        QVERIFY(v.Valid());
    }
};

QTEST_GUILESS_MAIN(TestData_)
#include "test_data.moc"
