#pragma once

#include "platform/db/DataSource.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QObject>

namespace zelta {

// The program's tables, cursors, queries and data sources, shared by every
// window. Every cursor starts closed; each window opens what it needs and closes
// it again. The database behind the alias is opened on first use, creating it
// (with the area table and the institution record) when the directory holds none.
class TDm_Dados : public QObject {
    Q_OBJECT
public:
    static constexpr int kSchemaVersion = 1;
    static constexpr const char* kFileName = "zelta99.db";

    explicit TDm_Dados(const QString& dataDirectory, QObject* parent = nullptr);
    ~TDm_Dados() override;

    plat::db::Database& database() { return m_db; }
    QString dataDirectory() const { return m_dir; }
    QString databaseFile() const;

    // Table definitions of the alias (fields, sizes, masks, orderings).
    static QList<plat::db::TableDef> tableDefinitions();

    plat::db::Table* Tb_Instituicao;
    plat::db::Table* Tb_Bolsistas;
    plat::db::Table* Tb_SelBolsista;
    plat::db::Table* Tb_Orientador;
    plat::db::Table* Tb_SelOrientador;
    plat::db::Table* Tb_SubArea;
    plat::db::Table* Tb_Erro_Bol_Ori;

    plat::db::Query* Qr_TotalNovo;
    plat::db::Query* Qr_TotalRenovado;
    plat::db::Query* Qr_TotalExcluido;
    plat::db::Query* Qr_Bolsistas;
    plat::db::Query* Qr_Limpa;
    plat::db::Query* Qr_Relatorio_Bol;

    plat::db::DataSource* Ds_Bolsistas;
    plat::db::DataSource* Ds_SelBolsista;
    plat::db::DataSource* Ds_Orientador;
    plat::db::DataSource* Ds_SelOrientador;
    plat::db::DataSource* Ds_QrBolsistas;
    plat::db::DataSource* Ds_Relatorio_Bol;

private:
    void openDatabase(plat::db::Database& db);
    void provision(plat::db::Database& db);
    void upgrade(plat::db::Database& db, int from);

    QString m_dir;
    plat::db::Database m_db;
};

} // namespace zelta
