#include "AdvisorFixture.h"

#include "advisors/windows/TFrm_Cad_Orientador.h"
#include "advisors/AdvisorRules.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBMemo.h"
#include "platform/ui/RadioGroup.h"

#include <QApplication>
#include <QRadioButton>

namespace zelta::test {

AdvisorFixture::AdvisorFixture()
{
    sessao.Dm_Dados = &data.dm();
    sessao.VerificarCpfCgc = &validator;
}

AdvisorFixture::~AdvisorFixture()
{
    // The data module's cursors go while its database is still there (the
    // module itself lets them go only after its database member).
    qDeleteAll(data.dm().findChildren<plat::db::Table*>());
}

QString AdvisorFixture::value(const QString& sql, const QVariantList& params) { return data.db().scalar(sql, params).toString(); }

bool activate(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void leave(QWidget* box) { QTest::keyClick(box, Qt::Key_Tab); }

void typeInto(QWidget* box, const QString& text)
{
    box->setFocus();
    typeText(box, text);
}

void enterCpf(TFrm_Cad_Orientador& form, const QString& cpf)
{
    form.DBEdCpf->setFocus();
    form.DBEdCpf->selectAll();
    QTest::keyClick(form.DBEdCpf, Qt::Key_Delete);
    QTest::keyClicks(form.DBEdCpf, QString(cpf).remove(u'.').remove(u'-'));
    leave(form.DBEdCpf);
}

void fillRequired(AdvisorFixture& f, TFrm_Cad_Orientador& form)
{
    typeInto(form.DBEdOrientador, QStringLiteral("maria souza"));
    form.RadioTitulacao->button(0)->click();
    typeInto(form.DBMemoTitulo, QStringLiteral("projeto"));
    typeInto(form.DBEdPalavra1, QStringLiteral("solo"));
    const QString code = f.value(QStringLiteral("SELECT CODIGO FROM GRANDE_A WHERE SUBAREA='FISICA DO SOLO'"));
    form.EditArea->setFocus();
    QTest::keyClicks(form.EditArea, areaCodeDigits(code));
    leave(form.EditArea);
}

} // namespace zelta::test
