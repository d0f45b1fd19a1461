#pragma once

#include "validation/CpfsRepetidos.h"
#include "validation/Situacao.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

#include "platform/db/Ordering.h"

namespace plat::db {
class Database;
class Statement;
class Table;
} // namespace plat::db

namespace zelta {

class TVlCpfCgc;

// The rule set a check asks. The verification's asks every rule, the CPF's
// check digits judged by the validator; the pre-check of the generation asks
// only the rules that stop the submission file (check digits cannot).
class Regras {
public:
    enum class Conjunto { Verificacao, PreGeracao };

    static Regras verificacao(TVlCpfCgc& validator) { return Regras(Conjunto::Verificacao, &validator); }
    static Regras preGeracao() { return Regras(Conjunto::PreGeracao, nullptr); }

    Conjunto conjunto() const { return m_conjunto; }
    // The verification's verdict on a CPF's check digits; under the
    // pre-check no CPF fails it.
    bool cpfInvalido(const QString& cpf) const;

private:
    Regras(Conjunto conjunto, TVlCpfCgc* validator) : m_conjunto(conjunto), m_validator(validator) {}
    Conjunto m_conjunto;
    TVlCpfCgc* m_validator;
};

// The completeness rules of the register: which holders and advisors are
// examined, the checks on each, and for every check both verdicts, the one of
// the completeness verification (a line of its log) and the one of the check
// that runs before the submission file is written (a failure stops the file).
// The two differ in places: the verification computes the CPF's check digits,
// the pre-check refuses the ten repeated-digit CPFs; the verification takes a
// field of blanks for empty, the pre-check only a field of length zero.
// Beside them, what the entry forms' "Confirma" would refuse on the record as
// stored (holders/HolderRules.h, advisors/AdvisorRules.h), so that a list of
// problems names everything the form will ask for.

// The fields the checks look at, in the order of the checks.
enum class Campo : quint8 {
    // holders
    Cpf,
    Sexo,
    DataNascimento,
    CpfOrientador,
    CodigoAgencia,
    NumeroOrientador,
    // advisors (their CPF is Cpf above)
    Titulacao,
    PalavraChave, // the three key words
    CodArea,
    Vinculo, // no holder names the advisor
    // only the entry forms ask for these: a name (holders and advisors), a
    // project title, and key words that are not repeated
    Nome,
    Titulo,
    Chave1IgualChave2,
    Chave1IgualChave3,
    Chave2IgualChave3,
};

// The field's name as the tables spell it ("CPF", "SEXO", ..., "P_CHAVE1" for
// the key words, "VINCULO" for an advisor without holders, "Nome", "TITULO";
// a repeated key word is named by the later of the two, "P_CHAVE2" or
// "P_CHAVE3", and its message says which pair).
QString nomeCampo(Campo campo);

// The verdicts of one record: a bit per Campo for each rule set.
struct Exame {
    quint16 verificacao = 0;  // fails the verification's rule
    quint16 geracao = 0;      // fails the pre-check's rule
    quint16 formulario = 0;   // the entry form's "Confirma" refuses it
    bool cpfRepetido = false; // check 1 fails because another holder has the CPF
    bool falhaNaVerificacao(Campo c) const { return verificacao & bit(c); }
    bool impedeGeracao(Campo c) const { return geracao & bit(c); }
    bool recusadoNoFormulario(Campo c) const { return formulario & bit(c); }
    bool limpo() const { return verificacao == 0 && geracao == 0 && formulario == 0; }
    static quint16 bit(Campo c) { return quint16(1u << unsigned(c)); }
};
static_assert(unsigned(Campo::Chave2IgualChave3) < 16, "a bit per field in Exame");

// An advisor number as a holder stores it. A text that is not a whole number
// names no advisor; one of blanks only counts as empty.
struct NumeroOrientador {
    bool nulo = true;    // the field holds nothing at all
    bool vazio = true;   // nothing, or blanks
    bool valido = false; // a whole number
    qint64 numero = 0;
    bool registrado = false; // an advisor record has that number (set by who reads the register)
    static NumeroOrientador de(const QVariant& value);
};

// The fields the holder checks read.
struct DadosBolsista {
    QString cpf;
    QString sexo;
    QString dataNascimento; // as the table writes a date (dd/mm/yyyy); empty when not given
    QString cpfOrientador;
    QString codigoAgencia;
    NumeroOrientador numero;
    QString nome;
    bool orientadorNoCadastro = false; // an advisor record has the CPF cpfOrientador
    bool cpfRepetido = false;          // another holder has the CPF (validation/CpfsRepetidos.h)
};

// The fields the advisor checks read, whether any holder (excluded or not)
// names the advisor, and the area name the entry form shows for codArea.
struct DadosOrientador {
    QString cpf;
    QString titulacao;
    QString pChave1, pChave2, pChave3;
    QString codArea;
    bool temBolsista = false;
    QString nome;
    QString titulo;
    QString subarea;
};

// The checks of one record under a rule set. A holder whose CPF another holder
// has fails check 1 under both, so that no file carries one CPF twice.
Exame examinarBolsista(const DadosBolsista& b, const Regras& regras);
// The one check an excluded holder gets: its CPF is repeated.
Exame exameCpfRepetido();
Exame examinarOrientador(const DadosOrientador& o, const Regras& regras);

// The rules that the two rule sets share, one field at a time.
bool cpfDigitosRepetidos(const QString& cpf);        // one of 000.000.000-00 ... 999.999.999-99
bool cpfAceitoNaGeracao(const QString& cpf);         // 14 characters, not repeated digits
QString dataEscrita(const QDate& date);              // dd/mm/yyyy, empty for no date
void escreverData(const QDate& date, QString& into); // the same into a string kept from row to row
// A birth date the file can carry: written with 8 or 10 characters, and not
// empty (no date, or one that is no date at all, such as 31/02) nor a date
// whose dd/mm/yy form is 30/12/99, which the file writes as blanks like the
// zero date of an empty field.
bool dataAceita(const QString& written);
bool sexoAceito(const QString& sexo);      // F or M, as the entry form stores it
bool agenciaAceita(const QString& codigo); // not empty, no blank at 1, 2, 3, 4 or 6

// The verification's error code of a record ("1,", "2," ...): a failing
// holder check replaces the code of an earlier one, so one code is left; the
// advisor checks set their code too, except the titulação check, which
// appends its own, so "1,2," is the only pair possible.
QString codigoErroBolsista(const Exame& exame);
QString codigoErroOrientador(const Exame& exame);
// The same from the fields.
QString codigoErroBolsista(const DadosBolsista& b, TVlCpfCgc& validator);
QString codigoErroOrientador(const DadosOrientador& o, TVlCpfCgc& validator);

// The log lines of an error code, in code order.
QStringList linhasErroBolsista(const QString& codigo);
QStringList linhasErroOrientador(const QString& codigo);

// ------------------------------------------------------------------ pending problems

// One failing check of a record.
struct Pendencia {
    Campo campo;
    QString mensagem;
    bool impedeGeracao = false;
    bool resolvida = false;     // gone when the record was checked again
    bool naVerificacao = false; // the verification's rule fails (its log names it)
};

// A record with its failing checks, in the order of the checks.
struct RegistroPendente {
    bool orientador = false; // an advisor, else a holder
    qint64 rowid = 0;        // the record's place in its table
    QVariant codigo;         // the advisor's Codigo; null for a holder
    QString nome;
    QString cpf;
    QList<Pendencia> pendencias;
    int abertas() const; // problems not solved
    // The error lines the verification's log writes for the open problems:
    // one for a holder however many checks fail, one or two for an advisor
    // (see codigoErroBolsista, codigoErroOrientador).
    int linhasNoLog() const;
};

// The problems of one examined record, in the order of the checks; a holder
// whose CPF is repeated names the others that have it (repetidoCom).
QList<Pendencia> pendenciasDe(bool orientador, const Exame& exame, const QString& cpf, const QStringList& repetidoCom = {});

// Every record with a problem, in the order of the verification's log.
struct ListaPendencias {
    QList<RegistroPendente> registros;
    // Why the open problems outnumber the errors the log counts.
    struct Contagem {
        int soFormulario = 0; // only the entry form refuses them
        int soGeracao = 0;    // they stop the generation, the verification passes them
        int juntas = 0;       // the log writes one error line for them and another problem of the record
    };
    Contagem contagem() const;
    int problemas() const;                 // open problems
    int registrosComProblemas() const;     // records with an open problem
    ListaPendencias soImpeditivas() const; // only the problems that stop the generation
};

// ------------------------------------------------------------------ the walk

// What is known of each advisor number: whether an advisor record has it, and
// of its holders whether some are excluded and whether some are of another
// situation, gathered while the holders are read, in a table indexed by the
// advisor's number (the table assigns them in sequence).
class TallyOrientadores {
public:
    enum Flag : quint8 { Excluido = 1, Outro = 2, Registrado = 4 };
    void reset(qint64 highestNumber);
    void add(qint64 number, Flag flag);
    quint8 flags(qint64 number) const;
    // An advisor whose holders are all excluded has left the programme.
    static bool saiu(quint8 flags) { return (flags & (Excluido | Outro)) == Excluido; }
    static bool temBolsista(quint8 flags) { return flags & (Excluido | Outro); }
    static bool registrado(quint8 flags) { return flags & Registrado; }

private:
    std::vector<quint8> m_dense;
    QHash<qint64, quint8> m_sparse; // numbers beyond the table
};

// One examined record of the walk. Its name and CPF are decoded only when asked.
struct RegistroExaminado {
    const plat::db::Statement* st = nullptr;
    bool orientador = false;
    qint64 rowid = 0;
    qint64 codigo = 0; // advisors
    Exame exame;
    QStringList repetidoCom; // the other holders with this holder's CPF
    QString nome() const;
    QString cpf() const;
    RegistroPendente pendente() const; // with its problems
};

// Walks the holders, then the advisors, examining every record the rules
// examine: holders that are not excluded, and advisors that have a holder
// still in the programme or none at all. The holders must be walked first:
// they tell which advisors have holders. An excluded holder is examined for
// one thing alone, since the file carries it too: whether another holder has
// its CPF.
class Completude {
public:
    // The visitor returns false to stop the walk.
    using Visitor = std::function<bool(const RegistroExaminado&)>;
    using Progress = std::function<void()>; // once per record read

    Completude(const plat::db::Database& db, const Regras& regras) : m_db(db), m_regras(regras) {}

    void setProgress(Progress p) { m_progress = std::move(p); }

    // The walk goes in the given ordering; the record number order
    // (Ordering()) reads the table as it lies. Return false when the visitor
    // stopped the walk.
    bool bolsistas(const plat::db::Ordering& ordering, const Visitor& visit);
    bool orientadores(const plat::db::Ordering& ordering, const Visitor& visit);

    // One record again, by its place in the table; empty when it is no longer
    // examined (deleted, excluded with a CPF of its own, or an advisor whose
    // holders are all excluded).
    std::optional<RegistroPendente> bolsista(qint64 rowid);
    std::optional<RegistroPendente> orientador(qint64 rowid);

private:
    const plat::db::Database& m_db;
    Regras m_regras;
    Progress m_progress;
    TallyOrientadores m_tally;
    CpfsRepetidos m_repetidos;
    QSet<QString> m_cpfsOrientadores; // the advisors' CPFs, for the entry form's advisor look-up
};

// Every problem of the register under a rule set, the holders in the ordering
// holders, then the advisors in the ordering advisors (the orderings of the
// verification's log: TDm_Dados::holderOrdering and advisorOrdering).
ListaPendencias listarPendencias(const plat::db::Database& db, const plat::db::Ordering& holders,
                                 const plat::db::Ordering& advisors, const Regras& regras);

// A record's entry after the record was checked again (now: empty when it is
// no longer examined): problems that are gone are marked solved, those still
// there keep their place, new ones come after them. With soImpeditivas only
// the problems that stop the generation count.
void atualizarRegistro(RegistroPendente& entry, const std::optional<RegistroPendente>& now, bool soImpeditivas);

// The one-line text of a problem for the command line:
// "Bolsista NOME (CPF): mensagem".
QString linhaPendencia(const RegistroPendente& r, const Pendencia& p);

} // namespace zelta
