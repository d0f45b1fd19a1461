#include "platform/ui/HelpViewer.h"

#include "platform/ui/Messages.h"

#include <QHBoxLayout>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace plat::ui {

namespace {

// A browser that fits wide pictures to the page. The browser's own scaling
// of an <img width> drops pixels, which makes the text in a window's picture
// unreadable; a smooth reduction keeps it legible.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource)
            return resource;
        QImage image;
        if (resource.canConvert<QImage>() && resource.metaType().id() != QMetaType::QByteArray)
            image = resource.value<QImage>();
        else
            image.loadFromData(resource.toByteArray());
        if (image.isNull() || image.width() <= HelpViewer::kHelpPictureWidth)
            return resource;
        return image.scaledToWidth(HelpViewer::kHelpPictureWidth, Qt::SmoothTransformation);
    }
};

} // namespace

HelpViewer::HelpViewer(const QString& documentPath, const QString& anchor, QWidget* parent) : QDialog(parent), m_anchor(anchor)
{
    setObjectName(QStringLiteral("HelpViewer"));
    resize(780, 620);

    m_browser = new HelpBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(false);
    m_browser->setSource(QUrl::fromLocalFile(documentPath));

    auto* back = new QPushButton(QStringLiteral("&Voltar"), this);
    back->setObjectName(QStringLiteral("BtnVoltar"));
    back->setEnabled(false);
    auto* contents = new QPushButton(QStringLiteral("&Sumário"), this);
    contents->setObjectName(QStringLiteral("BtnSumario"));
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    close->setObjectName(QStringLiteral("BtnFechar"));
    close->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);

    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::goToContents);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("%1 - Ajuda").arg(applicationTitle()) : title);
    if (!m_anchor.isEmpty())
        m_browser->scrollToAnchor(m_anchor);
}

void HelpViewer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The document is laid out at the browser's final width only now, so the
    // anchor is reached again once the window is on screen.
    if (!m_anchor.isEmpty())
        QTimer::singleShot(0, this, [this] { m_browser->scrollToAnchor(m_anchor); });
}

void HelpViewer::goToContents() { m_browser->verticalScrollBar()->setValue(0); }

} // namespace plat::ui
