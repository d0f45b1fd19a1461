#include "validation/TVlCpfCgc.h"

namespace zelta {

namespace {

// Modulus-11 check digit over digits[0..count) with the given weights; -1 when a
// character is not a decimal digit.
int checkDigit(const QString& digits, int count, const int* weights)
{
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = digits.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        sum += (c - u'0') * weights[i];
    }
    const int d = 11 - sum % 11;
    return d > 9 ? 0 : d;
}

bool allDigits(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

bool matches(const QString& digits, int n, const int* w1, const int* w2)
{
    if (digits.size() != n || !allDigits(digits))
        return false;
    const int d1 = checkDigit(digits, n - 2, w1);
    const int d2 = checkDigit(digits, n - 1, w2);
    return d1 == digits.at(n - 2).digitValue() && d2 == digits.at(n - 1).digitValue();
}

constexpr int kCpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCgc1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCgc2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

} // namespace

bool cpfDigitsValid(const QString& digits) { return matches(digits, 11, kCpf1, kCpf2); }

bool cgcDigitsValid(const QString& digits) { return matches(digits, 14, kCgc1, kCgc2); }

TVlCpfCgc::TVlCpfCgc(QObject* owner) : QObject(owner) {}

void TVlCpfCgc::setInput(const QString& text)
{
    m_input = text;
    check();
}

void TVlCpfCgc::setMode(TMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    check();
}

void TVlCpfCgc::loadStoredState()
{
    setReturn(QStringLiteral("../-"));
    setMode(moCGC);
    setTPdoc(CGC);
    setValid(false);
}

void TVlCpfCgc::check()
{
    // Positions below are 0-based; the separators are the only characters the
    // shape test looks at.
    const QString& in = m_input;
    const qsizetype n = in.size();
    if (n == 14 && in.at(3) == u'.' && in.at(7) == u'.' && in.at(11) == u'-')
        checkCpf(in.mid(0, 3) + in.mid(4, 3) + in.mid(8, 3) + in.mid(12, 2));
    else if (n == 14)
        checkCgc(in);
    else if (n == 12 && in.at(9) == u'-')
        checkCpf(in.mid(0, 9) + in.mid(10, 2));
    else if (n == 11)
        checkCpf(in);
    else if (n == 18 && in.at(2) == u'.' && in.at(6) == u'.' && in.at(10) == u'/' && in.at(15) == u'-')
        checkCgc(in.mid(0, 2) + in.mid(3, 3) + in.mid(7, 3) + in.mid(11, 4) + in.mid(16, 2));
    else if (n == 16 && in.at(8) == u'/' && in.at(13) == u'-')
        checkCgc(in.mid(0, 8) + in.mid(9, 4) + in.mid(14, 2));
    else
        checkCgc(QString());
}

void TVlCpfCgc::checkCpf(const QString& d)
{
    m_mode = moCPF;
    m_tpdoc = CPF;
    m_valid = cpfDigitsValid(d);
    m_return = d.mid(0, 3) + u'.' + d.mid(3, 3) + u'.' + d.mid(6, 3) + u'-' + d.mid(9, 2);
}

void TVlCpfCgc::checkCgc(const QString& d)
{
    m_mode = moCGC;
    m_tpdoc = CGC;
    m_valid = cgcDigitsValid(d);
    m_return = d.mid(0, 2) + u'.' + d.mid(2, 3) + u'.' + d.mid(5, 3) + u'/' + d.mid(8, 4) + u'-' + d.mid(12, 2);
}

} // namespace zelta
