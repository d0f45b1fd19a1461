#pragma once

#include <QObject>
#include <QString>

namespace zelta {

// Checks a CPF (11 digits) or a CGC (14 digits) written in any of the usual
// shapes. Assigning Input runs the check at once; Valid, Return, Mode and TPdoc
// then hold its results until the next assignment. Nothing is ever reported.
class TVlCpfCgc : public QObject {
    Q_OBJECT
public:
    enum TMode { moCPF, moCGC };
    Q_ENUM(TMode)
    enum TDoc { CPF, CGC };
    Q_ENUM(TDoc)

    explicit TVlCpfCgc(QObject* owner = nullptr);

    QString Sobre() const { return m_sobre; }
    void setSobre(const QString& text) { m_sobre = text; }

    QString Input() const { return m_input; }
    void setInput(const QString& text);

    QString Return() const { return m_return; }
    void setReturn(const QString&) {} // a result: assignments are ignored

    TMode Mode() const { return m_mode; }
    void setMode(TMode mode); // a change re-checks the current Input

    TDoc TPdoc() const { return m_tpdoc; }
    void setTPdoc(TDoc) {}

    bool Valid() const { return m_valid; }
    void setValid(bool) {}

    // The values stored with the main window's layout, loaded through the rules
    // above: Return "../-", Mode moCGC, TPdoc CGC, Valid false.
    void loadStoredState();

private:
    void check();
    // The check of the digits at the given positions of Input (none: no
    // digit string).
    void checkCpf(const int* positions);
    void checkCgc(const int* positions);

    QString m_sobre;
    QString m_input;
    QString m_return;
    TMode m_mode = moCPF;
    TDoc m_tpdoc = CPF;
    bool m_valid = false;
};

// The check-digit rule alone: digits holds the CPF's eleven digits without
// punctuation.
bool cpfDigitsValid(const QString& digits);

// The eleven digits of the CPF whose first nine are given (taken modulo 10^9),
// with its two check digits; used to make sample and test registers.
QString cpfWithCheckDigits(qint64 nineDigits);

} // namespace zelta
