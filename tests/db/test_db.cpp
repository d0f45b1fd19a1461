// The table engine: cursors, orderings, look-ups, ranges, editing and queries.
#include "platform/db/DataSource.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Error.h"
#include "support/TestData.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace plat::db;
using plat::Error;
using zelta::test::makeCpf;
using zelta::test::TestData;

class TestDb : public QObject {
    Q_OBJECT

    static QStringList walk(Table& t, const char* field = "NOME")
    {
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.field(QString::fromLatin1(field)).asString();
        return out;
    }

private slots:
    void emptyTableIsEofRightAfterOpen()
    {
        TestData d;
        Table& t = *d.dm().Tb_Bolsistas;
        t.open();
        QVERIFY(t.eof());
        QVERIFY(t.bof());
        QCOMPARE(t.recordCount(), 0);
        QVERIFY(t.isEmpty());
        d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        t.close();
        t.open();
        QVERIFY(!t.eof());
        QCOMPARE(t.field(QStringLiteral("nome")).asString(), QStringLiteral("ANA"));
    }

    void namesOfIndexesFieldsAndTablesIgnoreCase()
    {
        TestData d;
        d.addHolder(QStringLiteral("BETA"), makeCpf(2));
        d.addHolder(QStringLiteral("ALFA"), makeCpf(1));
        Table& t = *d.dm().Tb_Bolsistas;
        t.open();
        t.setIndexName(QStringLiteral("Id_Bolsista_cpf"));
        QVERIFY(t.findKey({makeCpf(2)}));
        QCOMPARE(t.field(QStringLiteral("Nome")).asString(), QStringLiteral("BETA"));
        t.setIndexName(QStringLiteral("ID_BOLSISTA_CPF"));
        QVERIFY(t.findKey({makeCpf(1)}));
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("ALFA"));
        QCOMPARE(t.field(QStringLiteral("cpf_orientador")).name(), QStringLiteral("CPF_ORIENTADOR"));
        t.setIndexFieldNames(QStringLiteral("nome"));
        QCOMPARE(walk(t, "Nome"), (QStringList{QStringLiteral("ALFA"), QStringLiteral("BETA")}));
        QVERIFY_THROWS_EXCEPTION(plat::Error, t.setIndexName(QStringLiteral("Id_Nao_Existe")));

        Query q(d.db());
        q.setSql({QStringLiteral("Select Count(*) as Total"), QStringLiteral("From ZeltaBol")});
        q.open();
        QCOMPARE(q.field(QStringLiteral("TOTAL")).asInteger(), 2);
    }

    void accentedNamesSortWithTheirBaseLetters()
    {
        TestData d;
        for (const char* n : {"ZÉLIA", "AMARAL", "ALVES", "ÁLVARO", "ALMEIDA", "ÉDSON", "EDNA", "ÇAROL", "CARLOS"})
            d.addAdvisor(makeCpf(qHash(QString::fromUtf8(n)) % 999999999), QString::fromUtf8(n));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        QCOMPARE(walk(t), (QStringList{QStringLiteral("ALMEIDA"), QStringLiteral("ÁLVARO"), QStringLiteral("ALVES"),
                                       QStringLiteral("AMARAL"), QStringLiteral("CARLOS"), QStringLiteral("ÇAROL"),
                                       QStringLiteral("EDNA"), QStringLiteral("ÉDSON"), QStringLiteral("ZÉLIA")}));
        // Searching without the accent finds the accented name.
        t.findNearest({QStringLiteral("ALVA")});
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("ÁLVARO"));
    }

    void tiesInNameOrderAreStableAndWalkedBothWays()
    {
        TestData d;
        const qint64 a = d.addAdvisor(makeCpf(11), QStringLiteral("SILVA"));
        const qint64 b = d.addAdvisor(makeCpf(12), QStringLiteral("SILVA"));
        d.addAdvisor(makeCpf(13), QStringLiteral("SOUZA"));
        d.addAdvisor(makeCpf(14), QStringLiteral("SANTOS"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        QVERIFY(t.findKey({QStringLiteral("SILVA")}));
        QCOMPARE(t.field(QStringLiteral("Codigo")).asInteger(), a); // the first of equal names
        t.next();
        QCOMPARE(t.field(QStringLiteral("Codigo")).asInteger(), b);
        t.next();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SOUZA"));
        t.next();
        QVERIFY(t.eof());
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SOUZA")); // stays on the last
        t.prior();
        QCOMPARE(t.field(QStringLiteral("Codigo")).asInteger(), b);
        t.prior();
        t.prior();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SANTOS"));
        t.prior();
        QVERIFY(t.bof());
        t.last();
        QVERIFY(t.eof());
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SOUZA"));
    }

    void exactAndNearestLookUps()
    {
        TestData d;
        for (const char* n : {"BRUNO", "SILVA", "SILVEIRA", "TANIA"})
            d.addAdvisor(makeCpf(qHash(QString::fromLatin1(n)) % 999999999), QString::fromLatin1(n));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        QVERIFY(t.findKey({QStringLiteral("SILVEIRA")}));
        QSignalSpy moved(&t, &Table::recordChanged);
        QVERIFY(!t.findKey({QStringLiteral("SIL")}));
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SILVEIRA"));
        QCOMPARE(moved.count(), 0); // bound controls are not told to move

        t.findNearest({QStringLiteral("SIL")});
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SILVA"));
        t.findNearest({QStringLiteral("SILVE")});
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("SILVEIRA"));
        t.findNearest({QStringLiteral("ZZZ")});
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("TANIA"));
        QVERIFY(!t.eof());
        t.findNearest({QString()});
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("BRUNO"));
    }

    void rangeOnCompositeAdvisorOrdering()
    {
        TestData d;
        const QString cpf = makeCpf(555);
        d.addHolder(QStringLiteral("H1"), makeCpf(1), QStringLiteral("Novo"), cpf, 7);
        d.addHolder(QStringLiteral("H2"), makeCpf(2), QStringLiteral("Novo"), cpf, 8); // same person, other record
        d.addHolder(QStringLiteral("H3"), makeCpf(3), QStringLiteral("Novo"), cpf, 7);
        d.addHolder(QStringLiteral("H4"), makeCpf(4), QStringLiteral("Novo"), makeCpf(556), 7);
        d.addHolder(QStringLiteral("H5"), makeCpf(5), QStringLiteral("Novo"), QString(), QVariant());
        Table& t = *d.dm().Tb_Bolsistas;
        t.open();
        t.cancelRange();
        t.setIndexName(QStringLiteral("Id_CpfOrientador"));
        t.setRangeStart();
        t.field(QStringLiteral("CPF_ORIENTADOR")).setAsString(cpf);
        t.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsInteger(7);
        t.setRangeEnd();
        t.field(QStringLiteral("CPF_ORIENTADOR")).setAsString(cpf);
        t.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsInteger(7);
        t.applyRange();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(walk(t, "Nome"), (QStringList{QStringLiteral("H1"), QStringLiteral("H3")}));

        // Writing fields that are not keys of the ordering walks every record once.
        QStringList seen;
        for (t.first(); !t.eof(); t.next()) {
            seen << t.field(QStringLiteral("Nome")).asString();
            t.edit();
            t.field(QStringLiteral("ALTERA")).setAsString(QStringLiteral("S"));
            t.field(QStringLiteral("CPF_EXORIENTADOR")).setAsString(cpf);
            t.post();
        }
        QCOMPARE(seen.size(), 2);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE ALTERA='S'")).toInt(), 2);

        t.setRange({QString()}, {QString()}); // the holder without an advisor
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(t.field(QStringLiteral("Nome")).asString(), QStringLiteral("H5"));
        QVERIFY(t.field(QStringLiteral("NUMERO_ORIENTADOR")).isNull());

        t.setRange({makeCpf(999)}, {makeCpf(999)});
        QVERIFY(t.eof());
        QCOMPARE(t.recordCount(), 0);
        t.cancelRange();
        QCOMPARE(t.recordCount(), 5);

        t.setIndexName(QStringLiteral("Id_Numero_Orientador"));
        QVERIFY(t.findKey({8}));
        QCOMPARE(t.field(QStringLiteral("Nome")).asString(), QStringLiteral("H2"));
        QVERIFY(!t.findKey({99}));
    }

    void oneCursorIsSharedByItsUsers()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(2), QStringLiteral("BIA"));
        // The list window and the entry form each link their controls to the
        // one cursor through a data source of their own: a move or an edit made
        // through one reaches the other's controls.
        Table* listWindow = d.dm().Tb_Orientador;
        DataSource listSource;
        DataSource formSource;
        listSource.setDataSet(listWindow);
        formSource.setDataSet(d.dm().Tb_Orientador);
        QSignalSpy formMoves(&formSource, &DataSource::recordChanged);
        QSignalSpy listStates(&listSource, &DataSource::stateChanged);
        listWindow->open();
        listWindow->next();
        QVERIFY(formMoves.count() > 0);
        Table* entryForm = formSource.table();
        QCOMPARE(entryForm->field(QStringLiteral("NOME")).asString(), QStringLiteral("BIA"));
        listStates.clear();
        entryForm->edit();
        entryForm->field(QStringLiteral("TITULO")).setAsString(QStringLiteral("NOVO"));
        QVERIFY(listStates.count() > 0);
        QCOMPARE(listSource.table()->state(), Table::State::Edit);
        QCOMPARE(listWindow->field(QStringLiteral("TITULO")).asString(), QStringLiteral("NOVO"));
        listWindow->post();
        // A second cursor on the same table keeps its own position.
        Table& other = *d.dm().Tb_SelOrientador;
        other.open();
        QVERIFY(other.findKey({makeCpf(1)}));
        QCOMPARE(listWindow->field(QStringLiteral("NOME")).asString(), QStringLiteral("BIA"));
        QVERIFY_THROWS_EXCEPTION(plat::Error, other.field(QStringLiteral("TITULO"))); // not declared there
    }

    void insertEditPostCancelDelete()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("CARLA"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.insert();
        QCOMPARE(t.state(), Table::State::Insert);
        t.field(QStringLiteral("CPF")).setAsString(makeCpf(2));
        t.field(QStringLiteral("NOME")).setAsString(QStringLiteral("BRUNO"));
        t.post();
        const qint64 codigo = t.field(QStringLiteral("Codigo")).asInteger();
        QVERIFY(codigo > 1);
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("BRUNO"));
        QCOMPARE(t.recordCount(), 2);

        t.insert();
        t.field(QStringLiteral("NOME")).setAsString(QStringLiteral("DESISTENTE"));
        t.cancel();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("BRUNO"));

        t.edit();
        t.field(QStringLiteral("NOME")).setAsString(QStringLiteral("ZENO"));
        t.cancel();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("BRUNO"));

        // A text longer than the field is cut to its size.
        t.edit();
        t.field(QStringLiteral("P_CHAVE1")).setAsString(QString(30, u'X'));
        t.post();
        QCOMPARE(t.field(QStringLiteral("P_CHAVE1")).asString().size(), 20);

        QVERIFY_THROWS_EXCEPTION(plat::Error, t.field(QStringLiteral("NOME")).setAsString(QStringLiteral("FORA DE EDIÇÃO")));
        t.edit();
        QVERIFY_THROWS_EXCEPTION(plat::Error, t.field(QStringLiteral("Codigo")).setAsInteger(5));
        t.cancel();

        t.first(); // BRUNO
        t.remove();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("CARLA"));
        t.remove();
        QVERIFY(t.eof());
        QVERIFY_THROWS_EXCEPTION(plat::Error, t.remove());
    }

    void navigationPostsAPendingEdit()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(2), QStringLiteral("BIA"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.edit();
        t.field(QStringLiteral("TITULO")).setAsString(QStringLiteral("T"));
        t.next();
        QCOMPARE(t.state(), Table::State::Browse);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT TITULO FROM ZELTAORI WHERE NOME='ANA'")).toString(), QStringLiteral("T"));
    }

    void refreshSeesChangesFromElsewhereAndKeepsPosition()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(2), QStringLiteral("BIA"));
        d.addAdvisor(makeCpf(3), QStringLiteral("CLEO"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.next();
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET TITULO='MUDOU' WHERE NOME='BIA'"));
        t.refresh();
        QCOMPARE(t.field(QStringLiteral("TITULO")).asString(), QStringLiteral("MUDOU"));
        d.db().exec(QStringLiteral("DELETE FROM ZELTAORI WHERE NOME='BIA'"));
        t.refresh();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("CLEO"));
        // A forward walk read ahead must not hide a change made meanwhile.
        t.first();
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET NOME='BRENO' WHERE NOME='CLEO'"));
        t.next();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("BRENO"));
    }

    void readAheadSeesAnotherConnectionsChange()
    {
        TestData d;
        for (const char* name : {"ANA", "BIA", "CLEO", "DORA"})
            d.addAdvisor(makeCpf(qint64(name[0])), QString::fromLatin1(name));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.next(); // BIA, with the records after it read ahead
        Database other;
        other.open(d.dm().databaseFile(), false);
        other.exec(QStringLiteral("UPDATE ZELTAORI SET TITULO='MUDOU' WHERE NOME='CLEO'"));
        t.next();
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("CLEO"));
        QCOMPARE(t.field(QStringLiteral("TITULO")).asString(), QStringLiteral("MUDOU"));
        // And at once, a change through the cursor's own connection.
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET TITULO='AQUI' WHERE NOME='DORA'"));
        t.next();
        QCOMPARE(t.field(QStringLiteral("TITULO")).asString(), QStringLiteral("AQUI"));
    }

    void longValueCutToItsFieldWhenPosted()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.edit();
        t.setValue(QStringLiteral("NOME"), QString(80, u'A'));
        t.post();
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT length(NOME) FROM ZELTAORI")).toInt(), 60);
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QString(60, u'A'));
    }

    void emptyingATableNeedsItsCursorsClosed()
    {
        TestData d;
        d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        Table& t = *d.dm().Tb_Bolsistas;
        t.open();
        QVERIFY_THROWS_EXCEPTION(plat::Error, d.db().emptyTable(QStringLiteral("ZELTABOL")));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 1);
        t.close();
        d.db().emptyTable(QStringLiteral("zeltabol"));
        QCOMPARE(d.count(QStringLiteral("ZELTABOL")), 0);
    }

    void cursorAndQueryReadStoredValuesAlike()
    {
        // Values the program never writes but the sqlite3 shell may: text that is
        // no number or date, a fraction in a whole-number field, a number in a
        // date field. A cursor and a query read each the same way.
        TestData d;
        const qint64 rowid = d.addHolder(QStringLiteral("ANA"), makeCpf(1));
        struct Case {
            const char* field;
            const char* stored;
            QString shown;
        };
        const Case cases[] = {{"NUMERO_ORIENTADOR", "'abc'", QString()},
                              {"NUMERO_ORIENTADOR", "' 12 '", QStringLiteral("12")},
                              {"NUMERO_ORIENTADOR", "2.6", QStringLiteral("3")},
                              {"DATA_NASCIMENTO", "20200105", QString()},
                              {"DATA_NASCIMENTO", "'2020-01-05 10:00'", QStringLiteral("05/01/2020")},
                              {"NOME", "0.1", QStringLiteral("0.1")}};
        Table& t = *d.dm().Tb_Bolsistas;
        for (const Case& c : cases) {
            const QString field = QString::fromLatin1(c.field);
            d.db().exec(QStringLiteral("UPDATE ZELTABOL SET %1=%2 WHERE rowid=?").arg(field, QString::fromLatin1(c.stored)),
                        {rowid});
            t.close();
            t.open();
            Query q(d.db());
            q.setSql({QStringLiteral("SELECT %1 FROM ZELTABOL").arg(field)});
            q.open();
            QCOMPARE(t.field(field).asString(), c.shown);
            QCOMPARE(q.field(field).asString(), c.shown);
            QCOMPARE(t.field(field).isNull(), c.shown.isEmpty());
            QCOMPARE(q.field(field).isNull(), c.shown.isEmpty());
        }
        Query q(d.db());
        q.setSql({QStringLiteral("SELECT Cotas FROM ZELTAINT")});
        d.db().exec(QStringLiteral("UPDATE ZELTAINT SET Cotas='x'"));
        q.open();
        Table& inst = *d.dm().Tb_Instituicao;
        inst.open();
        QVERIFY(q.field(QStringLiteral("COTAS")).isNull());
        QVERIFY(inst.field(QStringLiteral("COTAS")).isNull());
    }

    void typedFieldAccess()
    {
        TestData d;
        d.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"), QString(), QVariant(), QStringLiteral("F"),
                    QDate(1978, 12, 31));
        Table& t = *d.dm().Tb_Bolsistas;
        t.open();
        QCOMPARE(t.field(QStringLiteral("DATA_NASCIMENTO")).asString(), QStringLiteral("31/12/1978"));
        QCOMPARE(t.field(QStringLiteral("DATA_NASCIMENTO")).asDate(), QDate(1978, 12, 31));
        QVERIFY(t.field(QStringLiteral("NUMERO_ORIENTADOR")).isNull());
        QCOMPARE(t.field(QStringLiteral("NUMERO_ORIENTADOR")).asString(), QString());
        QVERIFY(t.field(QStringLiteral("PROCESSO")).isNull());
        t.edit();
        t.field(QStringLiteral("DATA_NASCIMENTO")).setAsString(QStringLiteral("  /  /    "));
        QVERIFY(t.field(QStringLiteral("DATA_NASCIMENTO")).isNull());
        try {
            t.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsString(QStringLiteral("12a"));
            QFAIL("a text that is no number was taken");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("'12a' is not a valid integer value"));
        }
        QVERIFY_THROWS_EXCEPTION(plat::Error,
                                 t.field(QStringLiteral("DATA_NASCIMENTO")).setAsString(QStringLiteral("31/02/1990")));
        t.field(QStringLiteral("NUMERO_ORIENTADOR")).setAsString(QStringLiteral(" 42 "));
        t.post();
        QCOMPARE(t.field(QStringLiteral("NUMERO_ORIENTADOR")).asInteger(), 42);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT DATA_NASCIMENTO IS NULL FROM ZELTABOL")).toInt(), 1);

        Table& inst = *d.dm().Tb_Instituicao;
        inst.open();
        inst.edit();
        inst.field(QStringLiteral("Cotas")).setAsString(QStringLiteral("12,5"));
        inst.post();
        QCOMPARE(inst.field(QStringLiteral("Cotas")).asFloat(), 12.5);
    }

    void changeNotificationsReachDataSources()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        d.addAdvisor(makeCpf(2), QStringLiteral("BIA"));
        DataSource& ds = *d.dm().Ds_Orientador;
        QSignalSpy moved(&ds, &DataSource::recordChanged);
        QSignalSpy reset(&ds, &DataSource::dataSetChanged);
        QSignalSpy edited(&ds, &DataSource::fieldEdited);
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        QVERIFY(reset.count() >= 1);
        const int before = moved.count();
        t.next();
        QCOMPARE(moved.count(), before + 1);
        t.edit();
        t.field(QStringLiteral("NOME")).setAsString(QStringLiteral("BEATRIZ"));
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.first().first().toInt(), t.field(QStringLiteral("NOME")).index());
        t.post();
        QVERIFY(reset.count() >= 2);
    }

    void fixedStatementsRunAsWritten()
    {
        TestData d;
        const QString ori = makeCpf(700);
        const qint64 c1 = d.addAdvisor(ori, QStringLiteral("ORIENTADOR UM"));
        d.addHolder(QStringLiteral("ANA"), makeCpf(1), QStringLiteral("Novo"));
        d.addHolder(QStringLiteral("BIA"), makeCpf(2), QStringLiteral("Renovado"));
        d.addHolder(QStringLiteral("CAIO"), makeCpf(3), QString::fromUtf8("Excluído"));
        d.addHolder(QStringLiteral("DAVI"), makeCpf(4), QStringLiteral("Novo"));
        auto& dm = d.dm();
        dm.Qr_TotalNovo->open();
        QCOMPARE(dm.Qr_TotalNovo->field(QStringLiteral("TotalNovo")).asInteger(), 2);
        dm.Qr_TotalRenovado->open();
        QCOMPARE(dm.Qr_TotalRenovado->field(QStringLiteral("TotalRenovado")).asInteger(), 1);
        dm.Qr_TotalExcluido->open();
        QCOMPARE(dm.Qr_TotalExcluido->field(QStringLiteral("TotalExcluido")).asInteger(), 1);

        // Two holders in reassignment under one advisor name: DISTINCT keeps both rows,
        // and the advisor's name comes as NOME_1.
        d.db().exec(QStringLiteral("UPDATE ZELTABOL SET ALTERA='S', CPF_EXORIENTADOR=? WHERE Nome IN ('ANA','BIA')"), {ori});
        d.db().exec(QStringLiteral("UPDATE ZELTAORI SET ALTERA='S'"));
        dm.Qr_Bolsistas->open();
        QCOMPARE(dm.Qr_Bolsistas->recordCount(), 2);
        QCOMPARE(dm.Qr_Bolsistas->fieldNames().at(0).toUpper(), QStringLiteral("NOME"));
        QCOMPARE(dm.Qr_Bolsistas->field(QStringLiteral("NOME_1")).asString(), QStringLiteral("ORIENTADOR UM"));
        QCOMPARE(dm.Qr_Bolsistas->field(QStringLiteral("CPF_EXORIENTADOR")).asString(), ori);
        QCOMPARE(dm.Qr_Bolsistas->fieldDef(dm.Qr_Bolsistas->fieldIndexOf(QStringLiteral("CPF_EXORIENTADOR"))).displayLabel,
                 QStringLiteral("CPF  do Orientador"));
        Q_UNUSED(c1);

        // A double-quoted constant, as older statements write it, is a string.
        dm.Qr_Relatorio_Bol->setSql(
            {QStringLiteral("Select *"), QStringLiteral("From ZeltaBol"), QString::fromUtf8("Where Situacao=\"Excluído\"")});
        dm.Qr_Relatorio_Bol->open();
        QCOMPARE(dm.Qr_Relatorio_Bol->recordCount(), 1);
        QCOMPARE(dm.Qr_Relatorio_Bol->field(QStringLiteral("Nome")).asString(), QStringLiteral("CAIO"));
        QVERIFY(dm.Qr_Relatorio_Bol->fieldIndexOf(QStringLiteral("ORD_NOME")) < 0);
        QCOMPARE(dm.Qr_Relatorio_Bol->field(QStringLiteral("DATA_NASCIMENTO")).asString(), QStringLiteral("17/05/1980"));

        // Updates of every row, and values bound as parameters.
        dm.Qr_Limpa->close();
        dm.Qr_Limpa->sql().clear();
        dm.Qr_Limpa->sql() << QStringLiteral("UPDATE ZELTABOL SET ALTERA =' ',CPF_EXORIENTADOR =' '");
        dm.Qr_Limpa->execSql();
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT count(*) FROM ZELTABOL WHERE ALTERA=' '")).toInt(), 4);
        dm.Qr_Limpa->sql().clear();
        dm.Qr_Limpa->sql() << QStringLiteral("SELECT CODIGO,CPF,TITULO,NOME FROM ZELTAORI WHERE CPF = :cpf");
        dm.Qr_Limpa->setParam(QStringLiteral("cpf"), QStringLiteral("x' OR '1'='1"));
        dm.Qr_Limpa->open();
        QCOMPARE(dm.Qr_Limpa->recordCount(), 0);
        dm.Qr_Limpa->setParam(QStringLiteral("cpf"), ori);
        dm.Qr_Limpa->open();
        QCOMPARE(dm.Qr_Limpa->recordCount(), 1);
        QCOMPARE(dm.Qr_Limpa->field(QStringLiteral("Codigo")).asInteger(), c1);
    }

    void transactionsAreAllOrNothing()
    {
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ANA"));
        bool failed = false;
        try {
            Database::Transaction tx(d.db());
            d.db().exec(QStringLiteral("DELETE FROM ZELTAORI"));
            {
                Database::Transaction inner(d.db());
                d.db().exec(QStringLiteral("INSERT INTO ZELTAORI (NOME) VALUES ('X')"));
                inner.commit();
            }
            d.db().exec(QStringLiteral("INSERT INTO TABELA_QUE_NAO_EXISTE VALUES (1)"));
            tx.commit();
        } catch (const Error&) {
            failed = true;
        }
        QVERIFY(failed);
        // Rolled back: the deleted advisor is there again and the inner insert is gone.
        QCOMPARE(d.count(QStringLiteral("ZELTAORI")), 1);
        QCOMPARE(d.db().scalar(QStringLiteral("SELECT NOME FROM ZELTAORI")).toString(), QStringLiteral("ANA"));
        QCOMPARE(d.db().transactionDepth(), 0);
    }

    void plainSqliteShellCanReadAndWrite()
    {
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (shell.isEmpty())
            QSKIP("sqlite3 shell not installed");
        TestData d;
        d.addAdvisor(makeCpf(1), QStringLiteral("ALVES"));
        d.addAdvisor(makeCpf(2), QStringLiteral("AMARAL"));
        const QString file = d.dm().databaseFile();
        QProcess p;
        p.start(shell, {file, QString::fromUtf8("INSERT INTO ZELTAORI (CPF, NOME) VALUES ('111.111.111-11', 'ÁLVARO'); "
                                                "SELECT count(*) FROM GRANDE_A;")});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput().trimmed(), QByteArray("1283"));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        QCOMPARE(walk(t), (QStringList{QStringLiteral("ÁLVARO"), QStringLiteral("ALVES"), QStringLiteral("AMARAL")}));
    }

    void blockReadsForGrids()
    {
        TestData d;
        for (int i = 0; i < 50; ++i)
            d.addAdvisor(makeCpf(i + 1), QStringLiteral("NOME %1").arg(i, 2, 10, QLatin1Char('0')));
        Table& t = *d.dm().Tb_Orientador;
        t.open();
        t.findKey({QStringLiteral("NOME 20")});
        const Bookmark here = t.bookmark();
        QCOMPARE(t.positionOf(here), 20);
        const QList<Record> after = t.readFrom(&here, 5);
        QCOMPARE(after.size(), 5);
        QCOMPARE(t.recordValue(after.first(), 2).toString(), QStringLiteral("NOME 21"));
        const QList<Record> before = t.readFrom(&here, 3, true);
        QCOMPARE(t.recordValue(before.first(), 2).toString(), QStringLiteral("NOME 19"));
        t.first();
        QVERIFY(t.gotoBookmark(here));
        QCOMPARE(t.field(QStringLiteral("NOME")).asString(), QStringLiteral("NOME 20"));
        QCOMPARE(t.readFrom(nullptr, 100).size(), 50);
    }
};

QTEST_GUILESS_MAIN(TestDb)
#include "test_db.moc"
