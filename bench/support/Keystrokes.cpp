#include "support/Keystrokes.h"

#include "support/Register.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <ctime>

namespace zelta::bench {

namespace {

void typeKey(QWidget* box, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
}

} // namespace

double cpuMs(const std::function<void()>& fn)
{
    timespec a{}, b{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &a);
    fn();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &b);
    return double(b.tv_sec - a.tv_sec) * 1e3 + double(b.tv_nsec - a.tv_nsec) / 1e6;
}

KeystrokeFigures measureKeystrokes(QWidget* box, const std::function<void()>& clear, const std::function<void()>& paint)
{
    KeystrokeFigures best{1e9, 1e9, 1e9};
    for (int run = 0; run < 3; ++run) {
        double wall = 0;
        double cpu = 0;
        double worst = 0;
        int keys = 0;
        for (unsigned n = 0; n < 40; ++n) {
            const QString name = Register::name(n * 2654435761u + unsigned(run));
            clear();
            paint();
            for (QChar c : name.left(8)) {
                double ms = 0;
                wall += timeMs([&] {
                    ms = cpuMs([&] {
                        typeKey(box, c);
                        paint();
                    });
                });
                cpu += ms;
                worst = std::max(worst, ms);
                ++keys;
            }
        }
        best.wallMean = std::min(best.wallMean, wall / keys);
        best.cpuMean = std::min(best.cpuMean, cpu / keys);
        best.cpuWorst = std::min(best.cpuWorst, worst);
    }
    return best;
}

} // namespace zelta::bench
