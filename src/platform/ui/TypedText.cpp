#include "platform/ui/TypedText.h"

#include "platform/ui/Messages.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

namespace plat::ui {

namespace {

using plat::sys::LineBreaks;

QString composed(const QString& text) { return text.normalized(QString::NormalizationForm_C); }

// A caption as shown, without the "&" that marks its shortcut key.
QString withoutMnemonic(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out.trimmed();
}

const char* const kPending = "plat_refusalPending";

} // namespace

TypedText judgeTyped(const QString& before, const QString& after, int cursor, int maxLength, LineBreaks breaks)
{
    QString text = composed(after);
    qsizetype position = std::min(composed(after.left(cursor)).size(), text.size());
    // The part that changed: text[from, to) where before and the edited text
    // differ, a surrogate pair never split.
    qsizetype from = 0;
    while (from < before.size() && from < text.size() && before[from] == text[from])
        ++from;
    if (from > 0 && text[from - 1].isHighSurrogate())
        --from;
    qsizetype same = 0;
    while (same < before.size() - from && same < text.size() - from
           && before[before.size() - 1 - same] == text[text.size() - 1 - same])
        ++same;
    qsizetype to = text.size() - same;
    if (to < text.size() && text[to].isLowSurrogate())
        ++to;
    // A cell copied from a spreadsheet comes with a line break at its end; in
    // a box that takes no line break it is no part of what was meant.
    while (breaks == LineBreaks::Refused && to > from && (text[to - 1] == u'\n' || text[to - 1] == u'\r')) {
        text.remove(--to, 1);
        position = std::min(position, to);
    }
    if (const plat::sys::Refusal r = plat::sys::firstRefused(QStringView(text).left(to), breaks, from))
        return {before, int(std::min(from, before.size())), r};
    if (maxLength > 0 && text.size() > maxLength && to > from) {
        // What does not fit is cut from the end of the edit, as a box cuts
        // a paste; a text that was already longer is not shortened.
        const qsizetype cut = std::min(text.size() - maxLength, to - from);
        text.remove(to - cut, cut);
        position = to - cut;
    }
    return {text, int(position), {}};
}

QString fieldCaption(const QWidget* box)
{
    if (!box->accessibleName().isEmpty())
        return box->accessibleName();
    for (const QLabel* label : box->window()->findChildren<QLabel*>())
        if (label->buddy() == box)
            return withoutMnemonic(label->text());
    for (const QWidget* w = box->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
        if (const auto* group = qobject_cast<const QGroupBox*>(w))
            return withoutMnemonic(group->title());
    return QString();
}

void reportRefusal(QWidget* box, char32_t character)
{
    QApplication::beep();
    if (box->property(kPending).toBool())
        return;
    box->setProperty(kPending, true);
    const QString caption = fieldCaption(box);
    const QString text = plat::sys::refusalText(character);
    // Not inside the edit: the box is in the middle of taking back the text.
    QTimer::singleShot(0, box, [box, message = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text] {
        box->setProperty(kPending, false);
        showError(message, box->window());
    });
}

} // namespace plat::ui
