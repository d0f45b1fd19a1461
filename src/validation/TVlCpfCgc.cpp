#include "validation/TVlCpfCgc.h"

namespace zelta {

namespace {

// Modulus-11 check digit over digits[0..count) with the given weights; -1 when a
// character is not a decimal digit.
int checkDigit(const char16_t* digits, int count, const int* weights)
{
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = digits[i];
        if (c < u'0' || c > u'9')
            return -1;
        sum += (c - u'0') * weights[i];
    }
    const int d = 11 - sum % 11;
    return d > 9 ? 0 : d;
}

bool matches(const char16_t* digits, int n, const int* w1, const int* w2)
{
    for (int i = 0; i < n; ++i)
        if (digits[i] < u'0' || digits[i] > u'9')
            return false;
    const int d1 = checkDigit(digits, n - 2, w1);
    const int d2 = checkDigit(digits, n - 1, w2);
    return d1 == digits[n - 2] - u'0' && d2 == digits[n - 1] - u'0';
}

constexpr int kCpf1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCpf2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCgc1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr int kCgc2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

constexpr int kCpfDigits = 11;
constexpr int kCgcDigits = 14;

// The positions (0-based) of the digit string in each written shape.
constexpr int kCpf14[kCpfDigits] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13};             // ddd.ddd.ddd-dd
constexpr int kCpf12[kCpfDigits] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11};              // ddddddddd-dd
constexpr int kCpf11[kCpfDigits] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};               // ddddddddddd
constexpr int kCgc18[kCgcDigits] = {0, 1, 3, 4, 5, 7, 8, 9, 11, 12, 13, 14, 16, 17}; // dd.ddd.ddd/dddd-dd
constexpr int kCgc16[kCgcDigits] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 14, 15};  // dddddddd/dddd-dd
constexpr int kCgc14[kCgcDigits] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};   // dddddddddddddd

} // namespace

bool cpfDigitsValid(const QString& digits)
{
    return digits.size() == kCpfDigits
           && matches(reinterpret_cast<const char16_t*>(digits.constData()), kCpfDigits, kCpf1, kCpf2);
}

QString cpfWithCheckDigits(qint64 nineDigits)
{
    QString d = QStringLiteral("%1").arg(nineDigits % 1000000000, 9, 10, QLatin1Char('0'));
    d += QString::number(checkDigit(reinterpret_cast<const char16_t*>(d.constData()), 9, kCpf1));
    d += QString::number(checkDigit(reinterpret_cast<const char16_t*>(d.constData()), 10, kCpf2));
    return d;
}

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
    // The separators are the only characters the shape test looks at. Every
    // number goes through here, so the digits are gathered in place rather
    // than cut out and joined.
    const QString& in = m_input;
    const qsizetype n = in.size();
    if (n == 14 && in.at(3) == u'.' && in.at(7) == u'.' && in.at(11) == u'-')
        checkCpf(kCpf14);
    else if (n == 14)
        checkCgc(kCgc14);
    else if (n == 12 && in.at(9) == u'-')
        checkCpf(kCpf12);
    else if (n == 11)
        checkCpf(kCpf11);
    else if (n == 18 && in.at(2) == u'.' && in.at(6) == u'.' && in.at(10) == u'/' && in.at(15) == u'-')
        checkCgc(kCgc18);
    else if (n == 16 && in.at(8) == u'/' && in.at(13) == u'-')
        checkCgc(kCgc16);
    else
        checkCgc(nullptr);
}

void TVlCpfCgc::checkCpf(const int* positions)
{
    char16_t d[kCpfDigits];
    for (int i = 0; i < kCpfDigits; ++i)
        d[i] = m_input.at(positions[i]).unicode();
    m_mode = moCPF;
    m_tpdoc = CPF;
    m_valid = matches(d, kCpfDigits, kCpf1, kCpf2);
    // ddd.ddd.ddd-dd
    m_return.resize(14);
    QChar* out = m_return.data();
    for (int i = 0, o = 0; i < kCpfDigits; ++i) {
        if (i == 3 || i == 6)
            out[o++] = u'.';
        else if (i == 9)
            out[o++] = u'-';
        out[o++] = QChar(d[i]);
    }
}

void TVlCpfCgc::checkCgc(const int* positions)
{
    m_mode = moCGC;
    m_tpdoc = CGC;
    if (!positions) {
        // No digit string: only the separators are left.
        m_valid = false;
        m_return = QStringLiteral("../-");
        return;
    }
    char16_t d[kCgcDigits];
    for (int i = 0; i < kCgcDigits; ++i)
        d[i] = m_input.at(positions[i]).unicode();
    m_valid = matches(d, kCgcDigits, kCgc1, kCgc2);
    // dd.ddd.ddd/dddd-dd
    m_return.resize(18);
    QChar* out = m_return.data();
    for (int i = 0, o = 0; i < kCgcDigits; ++i) {
        if (i == 2 || i == 5)
            out[o++] = u'.';
        else if (i == 8)
            out[o++] = u'/';
        else if (i == 12)
            out[o++] = u'-';
        out[o++] = QChar(d[i]);
    }
}

} // namespace zelta
