// The report selection window: the mutual exclusion of its boxes, the message
// for an empty choice, the preview of the chosen report, and the window left
// as it was after the preview.
#include "app/windows/Sessao.h"
#include "platform/db/Query.h"
#include "platform/ui/PreviewWindow.h"
#include "support/TestHooks.h"
#include "reports/windows/TFrm_Sele_Rel.h"
#include "support/TestData.h"
#include "validation/TVlCpfCgc.h"

#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using namespace zelta;
using zelta::test::TestData;
using zelta::test::makeCpf;

class TestSeleRel : public QObject {
    Q_OBJECT
private slots:
    void startsUncheckedAndEnabled();
    void holderBoxesExcludeAdvisors();
    void advisorsExcludeHolderBoxes();
    void nothingChosen();
    void holderPreviewKeepsWindow();
    void advisorPreview();
    void escapeCloses();
};

namespace {

struct Fixture {
    TestData data;
    TVlCpfCgc validator;
    Sessao sessao;
    Fixture()
    {
        sessao.Dm_Dados = &data.dm();
        sessao.VerificarCpfCgc = &validator;
    }
};

QStringList pageTexts(const plat::report::PageModel& m)
{
    QStringList out;
    for (const auto& p : m.pages)
        for (const auto& t : p.texts)
            out << t.text;
    return out;
}

} // namespace

void TestSeleRel::startsUncheckedAndEnabled()
{
    Fixture f;
    TFrm_Sele_Rel form(f.sessao);
    QCOMPARE(form.windowTitle(), QStringLiteral("Relatórios de Conferência"));
    for (QCheckBox* b : {form.CheckNovos, form.CheckRenovados, form.CheckExcluidos, form.CheckOrientadores}) {
        QVERIFY(!b->isChecked());
        QVERIFY(b->isEnabled());
    }
    QCOMPARE(form.CheckExcluidos->text(), QStringLiteral("Bolsistas - Excluídos"));
}

void TestSeleRel::holderBoxesExcludeAdvisors()
{
    Fixture f;
    TFrm_Sele_Rel form(f.sessao);
    form.CheckNovos->click();
    QVERIFY(!form.CheckOrientadores->isEnabled());
    form.CheckRenovados->click();
    form.CheckNovos->click(); // unchecked, Renovados still checked
    QVERIFY(!form.CheckOrientadores->isEnabled());
    form.CheckRenovados->click();
    QVERIFY(form.CheckOrientadores->isEnabled());
    form.CheckExcluidos->click();
    QVERIFY(!form.CheckOrientadores->isEnabled());
    form.CheckExcluidos->click();
    QVERIFY(form.CheckOrientadores->isEnabled());
}

void TestSeleRel::advisorsExcludeHolderBoxes()
{
    Fixture f;
    TFrm_Sele_Rel form(f.sessao);
    form.CheckOrientadores->click();
    for (QCheckBox* b : {form.CheckNovos, form.CheckRenovados, form.CheckExcluidos})
        QVERIFY(!b->isEnabled());
    form.CheckOrientadores->click();
    for (QCheckBox* b : {form.CheckNovos, form.CheckRenovados, form.CheckExcluidos})
        QVERIFY(b->isEnabled());
}

void TestSeleRel::nothingChosen()
{
    Fixture f;
    plat::ui::MessageRecorder messages;
    plat::ui::ModalDriver modals;
    TFrm_Sele_Rel form(f.sessao);
    form.BitBtnImprimir->click();
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().caption, QStringLiteral("Atenção"));
    QCOMPARE(messages.last().text, QStringLiteral("Relatório não selecionado !!!"));
    QCOMPARE(messages.last().icon, plat::ui::MessageIcon::None);
    QVERIFY(modals.shown().isEmpty());
}

void TestSeleRel::holderPreviewKeepsWindow()
{
    Fixture f;
    f.data.addHolder(QStringLiteral("ANA EXCLUIDA"), makeCpf(100000001), QStringLiteral("Excluído"));
    f.data.addHolder(QStringLiteral("BETO NOVO"), makeCpf(100000002), QStringLiteral("Novo"));
    plat::ui::MessageRecorder messages;
    plat::ui::ModalDriver modals;
    QStringList seen;
    modals.expect([&](QDialog* d) {
        auto* preview = qobject_cast<plat::ui::PreviewWindow*>(d);
        QVERIFY(preview);
        seen = pageTexts(preview->pages());
        d->reject();
    });
    TFrm_Sele_Rel form(f.sessao);
    form.show();
    form.CheckExcluidos->click();
    form.BitBtnImprimir->click();
    QCOMPARE(messages.count(), 0);
    QCOMPARE(modals.shown().size(), 1);
    QVERIFY(seen.contains(QStringLiteral("Relatório de Conferência - Bolsistas")));
    QVERIFY(seen.contains(QStringLiteral("ANA EXCLUIDA")));
    QVERIFY(!seen.contains(QStringLiteral("BETO NOVO")));
    QCOMPARE(f.data.dm().Qr_Relatorio_Bol->sql(), QStringList{QStringLiteral("Select * From ZeltaBol Where Situacao=:excluido")});
    // Back from the preview: the window and its boxes as they were.
    QVERIFY(form.isVisible());
    QVERIFY(form.CheckExcluidos->isChecked());
    QVERIFY(!form.CheckOrientadores->isEnabled());
}

void TestSeleRel::advisorPreview()
{
    Fixture f;
    f.data.addAdvisor(makeCpf(300000001), QStringLiteral("PAULO ORIENTADOR"));
    plat::ui::ModalDriver modals;
    QStringList seen;
    modals.expect([&](QDialog* d) {
        seen = pageTexts(qobject_cast<plat::ui::PreviewWindow*>(d)->pages());
        d->reject();
    });
    TFrm_Sele_Rel form(f.sessao);
    form.CheckOrientadores->click();
    form.BitBtnImprimir->click();
    QVERIFY(seen.contains(QStringLiteral("Relatório de Conferência - Orientadores")));
    QVERIFY(seen.contains(QStringLiteral("PAULO ORIENTADOR")));
}

void TestSeleRel::escapeCloses()
{
    Fixture f;
    TFrm_Sele_Rel form(f.sessao);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestSeleRel)
#include "test_sele_rel.moc"
