#include "platform/ui/Messages.h"

#include "platform/system/Error.h"
#include "platform/ui/ModalRunner.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace plat::ui {

namespace {

MessageSink& currentSink()
{
    static MessageSink sink;
    return sink;
}

// The window a message stands over: the one given or, while that one is not
// on the screen (a window that closes before it is shown), the nearest shown
// window under it, so that the message is centred where the user looks.
QWidget* ownerFor(QWidget* parent)
{
    for (QWidget* w = parent ? parent->window() : nullptr; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (w->isVisible())
            return w;
    }
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// The details behind a button labelled "Detalhes": the box's own details
// button, whose label the box switches between showing and hiding on every
// click, is given the one label again after each click.
// The box names the button again when it is shown and when the language
// changes (a translation installed after the box was made): the label is put
// back after the box has done so.
class DetailsLabel : public QObject {
public:
    DetailsLabel(QMessageBox* box, QAbstractButton* button) : QObject(box), m_button(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::LanguageChange || event->type() == QEvent::Show) {
            auto* box = static_cast<QWidget*>(watched);
            box->removeEventFilter(this);
            QCoreApplication::sendEvent(box, event);
            box->installEventFilter(this);
            // Shown, the box wires the button to its own slot, which names it
            // again on every click: this label comes after that.
            disconnect(m_button, &QAbstractButton::clicked, this, &DetailsLabel::apply);
            connect(m_button, &QAbstractButton::clicked, this, &DetailsLabel::apply);
            apply();
            return true;
        }
        return false;
    }

    void apply() { m_button->setText(QString::fromUtf8(kDetailsLabel)); }

private:
    QAbstractButton* m_button;
};

void addDetails(QMessageBox& box, const QString& details)
{
    const QList<QAbstractButton*> before = box.findChildren<QAbstractButton*>();
    box.setDetailedText(details);
    for (QAbstractButton* button : box.findChildren<QAbstractButton*>()) {
        if (before.contains(button))
            continue;
        auto* label = new DetailsLabel(&box, button);
        label->apply();
        box.installEventFilter(label);
        QObject::connect(button, &QAbstractButton::clicked, label, &DetailsLabel::apply);
    }
}

// The real message box, shown through the modal runner so that a test that
// drives modal windows can also see and answer it.
Answer showMessageBox(const Message& m, QWidget* parent)
{
    QMessageBox box(ownerFor(parent));
    box.setWindowTitle(m.caption);
    // Plain text always: a message may carry names typed by the user, which
    // must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(m.text));
    if (!m.details.isEmpty())
        addDetails(box, m.details);
    switch (m.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (m.buttons == MessageButtons::YesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(m.defaultButton == Answer::Yes ? yes : no);
        box.setEscapeButton(no);
        showModal(&box);
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }
    box.setDefaultButton(box.addButton(QMessageBox::Ok));
    showModal(&box);
    return Answer::Ok;
}

Answer deliver(const Message& m, QWidget* parent)
{
    if (const MessageSink& sink = currentSink())
        return sink(m);
    return showMessageBox(m, parent);
}

} // namespace

MessageSink setMessageSink(MessageSink sink)
{
    MessageSink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

QString applicationTitle()
{
    QString name = QCoreApplication::applicationName();
    if (name.isEmpty())
        name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return name;
}

void showMessage(const QString& text, QWidget* parent)
{
    Message m;
    m.kind = MessageKind::Plain;
    m.caption = applicationTitle();
    m.text = text;
    deliver(m, parent);
}

void attention(const QString& text, QWidget* parent)
{
    Message m;
    m.kind = MessageKind::Attention;
    m.caption = QStringLiteral("Atenção");
    m.text = text;
    deliver(m, parent);
}

bool confirm(const QString& text, QWidget* parent)
{
    Message m;
    m.kind = MessageKind::Attention;
    m.caption = QStringLiteral("Atenção");
    m.text = text;
    m.buttons = MessageButtons::YesNo;
    m.icon = MessageIcon::Question;
    m.defaultButton = Answer::No;
    return deliver(m, parent) == Answer::Yes;
}

void showError(const QString& text, QWidget* parent, const QString& details)
{
    Message m;
    m.kind = MessageKind::Error;
    m.caption = applicationTitle();
    m.text = withFullStop(text);
    m.details = details;
    m.icon = MessageIcon::Error;
    deliver(m, parent);
}

QString exceptionText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const plat::Error& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro inesperado");
    }
}

QString exceptionDetails(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const plat::Error& e) {
        return e.details();
    } catch (...) {
        return QString();
    }
}

void reportException(std::exception_ptr error, QWidget* parent)
{
    if (error)
        showError(exceptionText(error), parent, exceptionDetails(error));
}

QString displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    return shown;
}

} // namespace plat::ui
