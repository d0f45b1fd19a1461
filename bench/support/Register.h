#pragma once

#include "data/TDm_Dados.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace zelta::bench {

// A large synthetic register in a temporary data directory: advisors with
// invented names and valid CPFs, holders spread over them (a third of them
// 'Excluído' unless told otherwise), written in one transaction.
struct RegisterShape {
    int advisors = 50000;
    int holders = 100000;
    double excludedShare = 1.0 / 3.0;
    unsigned seed = 1999;
};

class Register {
public:
    explicit Register(const RegisterShape& shape);
    TDm_Dados& dm() { return *m_dm; }
    QString dir() const { return m_dir.path(); }
    const RegisterShape& shape() const { return m_shape; }

    static QString name(unsigned n);      // a plausible upper-case Portuguese name
    static QString cpf(qint64 nineDigits);

private:
    QTemporaryDir m_dir;
    RegisterShape m_shape;
    std::unique_ptr<TDm_Dados> m_dm;
};

// Times fn once and returns milliseconds.
template <typename F>
double timeMs(F&& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return double(t.nsecsElapsed()) / 1e6;
}

// Prints one figure: "name: value unit (aim)".
void report(const QString& name, double value, const QString& unit, const QString& aim = QString());

} // namespace zelta::bench
