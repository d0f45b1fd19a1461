#pragma once

#include "data/TDm_Dados.h"

#include <QDate>
#include <QTemporaryDir>
#include <memory>

namespace zelta::test {

// A fresh data directory with a provisioned database and the data module on it,
// removed when the object goes.
class TestData {
public:
    TestData();
    ~TestData();

    QString dir() const { return m_dir.path(); }
    TDm_Dados& dm() { return *m_dm; }
    plat::db::Database& db() { return m_dm->database(); }

    // Plain inserts straight into the tables (bypassing the cursors), returning
    // the new record number (Codigo for advisors).
    qint64 addAdvisor(const QString& cpf, const QString& nome, const QString& titulacao = QStringLiteral("D"),
                      const QString& titulo = QStringLiteral("PROJETO"), const QString& codArea = QStringLiteral("10101003"));
    qint64 addHolder(const QString& nome, const QString& cpf, const QString& situacao = QStringLiteral("Novo"),
                     const QString& cpfOrientador = QString(), const QVariant& numeroOrientador = QVariant(),
                     const QString& sexo = QStringLiteral("F"), const QDate& nascimento = QDate(1980, 5, 17),
                     const QString& agencia = QStringLiteral("1234-5"));
    void setInstitution(const QString& numero, const QString& sigla, const QString& nome, double cotas);
    int count(const QString& table);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TDm_Dados> m_dm;
};

// A text as the submission file carries it, the rule written plainly: control
// characters (C0 and DEL) become blanks, the 46 accented letters (acute, grave, circumflex, tilde,
// diaeresis, cedilla) lose their marks keeping the case, and a-z become A-Z.
QString textForFile(const QString& text);

// A valid CPF in stored form built from nine digits (check digits computed).
QString makeCpf(qint64 nineDigits);

// Turns a sound copy of the register into one of the older schema whose
// upgrade cannot run (a table stands where the upgrade builds its own): it
// passes every check a restore makes, and opening it afterwards fails.
void breakUpgrade(const QString& copyPath);

} // namespace zelta::test
