#include "platform/ui/EditMask.h"

#include <QStringList>

namespace plat::ui {

namespace {

// Characters that mean something in a Qt input mask and must be escaped to
// stand for themselves.
bool specialInQt(QChar c)
{
    static const QString kSpecial = QStringLiteral("AaNnXx90Dd#HhBb><!\\[]{};");
    return kSpecial.contains(c);
}

QString qtLiteral(QChar c) { return specialInQt(c) ? QString(u'\\') + c : QString(c); }

// Splits "mask;save;blank" at the separators that are not escaped.
QStringList splitFields(const QString& legacy)
{
    QStringList fields;
    QString current;
    for (int i = 0; i < legacy.size(); ++i) {
        const QChar c = legacy.at(i);
        if (c == u'\\' && i + 1 < legacy.size()) {
            current += c;
            current += legacy.at(++i);
        } else if (c == u';') {
            fields << current;
            current.clear();
        } else {
            current += c;
        }
    }
    fields << current;
    return fields;
}

// The mask's input characters and Qt's for the same class of character.
struct InputCode {
    char16_t legacy;
    char16_t qt;
    bool required;
};

constexpr InputCode kInputCodes[] = {
    {u'0', u'9', true}, {u'9', u'0', false}, {u'#', u'#', false}, {u'L', u'A', true},  {u'l', u'a', false},
    {u'A', u'N', true}, {u'a', u'n', false}, {u'C', u'X', true},  {u'c', u'x', false},
};

const InputCode* inputCode(QChar c)
{
    for (const InputCode& code : kInputCodes)
        if (code.legacy == c.unicode())
            return &code;
    return nullptr;
}

} // namespace

EditMask EditMask::fromLegacy(const QString& legacy)
{
    EditMask m;
    m.m_legacy = legacy;
    if (legacy.isEmpty())
        return m;
    const QStringList fields = splitFields(legacy);
    const QString mask = fields.value(0);
    if (fields.size() > 1 && fields.at(1).startsWith(u'0'))
        m.m_saveLiterals = false;
    if (fields.size() > 2 && !fields.at(2).isEmpty())
        m.m_blank = fields.at(2).at(0);

    QString qt;
    auto input = [&](char16_t qtChar, bool required) {
        qt += QChar(qtChar);
        m.m_positions.append(Position{QChar(), false, required});
    };
    auto literal = [&](QChar c) {
        qt += qtLiteral(c);
        m.m_positions.append(Position{c, true, false});
    };
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (const InputCode* code = inputCode(c)) {
            input(code->qt, code->required);
            continue;
        }
        switch (c.unicode()) {
        case u'\\':
            if (i + 1 < mask.size())
                literal(mask.at(++i));
            break;
        case u'!':
            break; // leading blanks: a matter of display only
        case u'>':
            qt += u'>';
            break;
        case u'<':
            if (i + 1 < mask.size() && mask.at(i + 1) == u'>') {
                qt += u'!'; // Qt's "no case conversion"
                ++i;
            } else {
                qt += u'<';
            }
            break;
        case u'_':
            literal(QChar(u' '));
            break;
        default:
            literal(c);
            break;
        }
    }
    // The blank character goes last, in Qt's own two-field form; a legacy save
    // field in the middle would be read as the blank character.
    m.m_qtMask = qt + u';' + m.m_blank;
    return m;
}

QString EditMask::storedValue(const QString& displayText) const
{
    if (isEmpty())
        return displayText;
    QString out;
    out.reserve(length());
    for (int i = 0; i < length(); ++i) {
        const Position& p = m_positions.at(i);
        if (p.literal) {
            if (m_saveLiterals)
                out += p.literal_char;
            continue;
        }
        const QChar c = i < displayText.size() ? displayText.at(i) : m_blank;
        out += c == m_blank ? QChar(u' ') : c;
    }
    return out;
}

QString EditMask::editText(const QString& stored) const
{
    if (isEmpty() || stored.isEmpty())
        return stored;
    QString out;
    out.reserve(length());
    int next = 0; // next character of the stored value
    for (int i = 0; i < length(); ++i) {
        const Position& p = m_positions.at(i);
        if (p.literal) {
            out += p.literal_char;
            if (m_saveLiterals)
                ++next;
            continue;
        }
        const QChar c = next < stored.size() ? stored.at(next) : QChar(u' ');
        ++next;
        out += c == u' ' ? m_blank : c;
    }
    return out;
}

QString EditMask::emptyDisplay() const
{
    QString out;
    out.reserve(length());
    for (const Position& p : m_positions)
        out += p.literal ? p.literal_char : m_blank;
    return out;
}

bool EditMask::requiredFilled(const QString& displayText) const
{
    for (int i = 0; i < length(); ++i) {
        const Position& p = m_positions.at(i);
        if (!p.required)
            continue;
        if (i >= displayText.size() || displayText.at(i) == m_blank || displayText.at(i) == u' ')
            return false;
    }
    return true;
}

} // namespace plat::ui
