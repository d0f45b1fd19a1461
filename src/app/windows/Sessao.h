#pragma once

#include <QString>

namespace zelta {

class TDm_Dados;
class TVlCpfCgc;

// What lives for the whole run and is shared by the windows: the data module
// with its cursors, the one CPF/CGC validator, and the values that pass
// between the windows of one registry. The main window owns it and hands it
// to the windows it opens; they hand it on.
struct Sessao {
    TDm_Dados* Dm_Dados = nullptr;
    TVlCpfCgc* VerificarCpfCgc = nullptr;

    // The advisor registry.
    bool Novo_Orientador = false;   // the entry form enters a new advisor
    QString Chave_Orientador;       // where the list goes after "Novo"
    QString Cpf_Excluido;           // CPF of the advisor being deleted
    qint64 Codigo_Excluido = 0;     // and its record number, which tells it from
                                    // other records of the same person
    QString SubArea_Selecionada;    // the area last returned by the area picker

    // The holder registry.
    bool Bolsista_Novo = false;     // the entry form enters a new holder
    QString Ultimo_Bolsista;        // the holder the list comes back to
    qint64 Codigo_Orientador = 0;   // Codigo of the advisor of the holder being entered
};

} // namespace zelta
