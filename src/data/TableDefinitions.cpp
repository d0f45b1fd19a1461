#include "data/TDm_Dados.h"

// The table definitions of the alias: fields, sizes, masks and indexes.

using namespace plat::db;

namespace zelta {

namespace {

FieldDef text(const char* name, int size, const char* mask = "", int width = 0, const char* label = "")
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = FieldType::Text;
    f.size = size;
    f.mask = QString::fromLatin1(mask);
    f.displayWidth = width ? width : size;
    f.displayLabel = QString::fromUtf8(label);
    return f;
}

FieldDef typed(const char* name, FieldType type, const char* mask = "")
{
    FieldDef f;
    f.name = QString::fromLatin1(name);
    f.type = type;
    f.mask = QString::fromLatin1(mask);
    f.displayWidth = 10;
    return f;
}

FieldDef folded(FieldDef f)
{
    f.folded = true;
    return f;
}

IndexDef index(const char* name, std::initializer_list<const char*> fields)
{
    IndexDef i;
    i.name = QString::fromLatin1(name);
    for (const char* f : fields)
        i.fields << QString::fromLatin1(f);
    return i;
}

} // namespace

QList<TableDef> TDm_Dados::tableDefinitions()
{
    TableDef inst;
    inst.name = QStringLiteral("ZELTAINT");
    inst.fields = {text("Numero_Instituicao", 9), text("Sigla", 10), typed("Cotas", FieldType::Float),
                   typed("Memo", FieldType::Float), text("Nome", 76)};
    inst.indexes = {IndexDef{}};

    TableDef ori;
    ori.name = QStringLiteral("ZELTAORI");
    ori.fields = {typed("Codigo", FieldType::AutoInc),
                  text("CPF", 14, "999.999.999-99;1;_", 14),
                  folded(text("NOME", 60, "", 73)),
                  text("TITULACAO", 1),
                  text("TITULO", 240),
                  text("P_CHAVE1", 20),
                  text("P_CHAVE2", 20),
                  text("P_CHAVE3", 20),
                  text("COD_AREA", 12),
                  text("PESQUISADOR", 1),
                  text("CATEGORIA", 2),
                  text("ALTERA", 1)};
    ori.indexes = {IndexDef{}, index("", {"NOME"}), index("", {"CPF"}), index("Id_Orientador_Cpf", {"CPF"})};

    TableDef bol;
    bol.name = QStringLiteral("ZELTABOL");
    bol.fields = {folded(text("Nome", 60, "", 65)),
                  text("CPF", 14, "999.999.999-99;1;_", 14),
                  text("SEXO", 1),
                  typed("DATA_NASCIMENTO", FieldType::Date, "!99/99/0000;1;_"),
                  text("PROCESSO", 11),
                  text("DEMANDA", 5),
                  text("SITUACAO", 8, "", 9),
                  text("SEGURO_SAUDE", 1),
                  text("CODIGO_AGENCIA", 6),
                  text("CONTA_BANCO", 10),
                  text("CPF_ORIENTADOR", 14),
                  text("CPF_EXORIENTADOR", 14, "", 14, "CPF  do Orientador"),
                  typed("NUMERO_ORIENTADOR", FieldType::Integer),
                  text("ALTERA", 1)};
    // The default order is by name, then CPF, as the table's first two fields.
    bol.indexes = {index("", {"Nome", "CPF"}),
                   index("", {"Nome"}),
                   index("", {"CPF"}),
                   index("Id_Bolsista_Cpf", {"CPF"}),
                   index("Id_Numero_Orientador", {"NUMERO_ORIENTADOR"}),
                   index("Id_CpfOrientador", {"CPF_ORIENTADOR", "NUMERO_ORIENTADOR"})};

    TableDef area;
    area.name = QStringLiteral("GRANDE_A");
    area.fields = {folded(text("SUBAREA", 87)), text("CODIGO", 12)};
    area.indexes = {index("", {"SUBAREA"}), index("Id_CodSubarea", {"CODIGO"})};

    TableDef err;
    err.name = QStringLiteral("ZELTAERR");
    err.fields = {typed("Numero_Linha", FieldType::Integer), text("Linha", 50)};
    err.indexes = {IndexDef{}};

    return {inst, ori, bol, area, err};
}

} // namespace zelta
