#pragma once

#include "data/TDm_Dados.h"

#include <QElapsedTimer>

#include <algorithm>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace zelta::bench {

// The benchmarks' sizes times ZELTA_BENCH_SCALE (a positive number, 1 when
// not set): CI runs each benchmark once at 0.01 to see that it still runs.
double benchScale();
int scaled(int n); // at least 1 when n is not 0

// A large synthetic register in a temporary data directory: advisors with
// invented names and valid CPFs, holders spread over them (a third of them
// 'Excluído' unless told otherwise), written in one transaction. The counts
// are scaled by benchScale().
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

    static QString name(unsigned n); // a plausible upper-case Portuguese name
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

// How many times a figure is taken; the best counts, since on a shared
// machine the slower runs measure other programs too.
constexpr int kRuns = 3;

// Times fn kRuns times and returns the best, in milliseconds.
template <typename F>
double bestOf(F&& fn)
{
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i)
        best = std::min(best, timeMs(fn));
    return best;
}

// Prints one figure: "name: value unit (aim)".
void report(const QString& name, double value, const QString& unit, const QString& aim = QString());

} // namespace zelta::bench
