#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace plat::db {
class Database;
} // namespace plat::db

namespace zelta {

// The 11 characters the submission file writes for a stored CPF: positions
// 1-3, 5-7, 9-11 and 13-14, a position the text lacks written as a blank.
// Two holders whose CPFs give the same characters would put one CPF twice
// into the file, whatever their separators.
QString cpfNoArquivo(const QString& cpf);

// The holders whose CPF another holder also has, as the file writes it. A CPF
// of blanks only names no one and is left to the CPF check. Every holder
// counts, excluded ones too, since the file carries them all.
class CpfsRepetidos {
public:
    // The whole holder table: one grouped query, and a second pass only when
    // some CPF is repeated.
    void ler(const plat::db::Database& db);
    // The holders other than rowid with the CPF cpf (one record checked again).
    void lerOutros(const plat::db::Database& db, const QString& cpf, qint64 rowid);

    bool vazio() const { return m_porCpf.isEmpty(); }
    bool contem(const QString& cpf) const;
    // The other holders with the CPF of the holder at rowid, for its message:
    // "NOME (Situação)" each, in record order.
    QStringList outros(const QString& cpf, qint64 rowid) const;

private:
    struct Bolsista {
        qint64 rowid;
        QString nome;
        QString situacao;
    };
    QHash<QString, QList<Bolsista>> m_porCpf; // by cpfNoArquivo
};

} // namespace zelta
