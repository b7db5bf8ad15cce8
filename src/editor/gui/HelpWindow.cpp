#include "editor/gui/HelpWindow.h"

#include "editor/gui/Manual.h"
#include "ui/Language.h"
#include "ui/gui/LangBind.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace lw {

namespace {

// Pictures wider than this are scaled down to keep the page readable.
constexpr int kMaxPictureWidth = 640;

// Asks the help window for the pictures of windows; everything else loads as usual.
class ManualBrowser : public QTextBrowser {
public:
    ManualBrowser(THelpWindow& window, QWidget* parent) : QTextBrowser(parent), window_(window) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (type == QTextDocument::ImageResource && name.scheme() == QLatin1String(kPictureScheme))
            return window_.picture(name.path());
        return QTextBrowser::loadResource(type, name);
    }

private:
    THelpWindow& window_;
};

QImage placeholder(const QString& subject, const QPalette& palette) {
    QImage image(480, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(palette.color(QPalette::Window));
    QPainter painter(&image);
    painter.setPen(QPen(palette.color(QPalette::Mid), 2));
    painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    painter.setPen(palette.color(QPalette::WindowText));
    painter.drawText(image.rect().adjusted(24, 16, -24, -16), Qt::AlignCenter | Qt::TextWordWrap,
                     subject + QStringLiteral("\n\n") + langText("[sHelpNoPicture]"));
    return image;
}

} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    back_ = new QToolButton(this);
    back_->setObjectName(QStringLiteral("HelpBack"));
    forward_ = new QToolButton(this);
    forward_->setObjectName(QStringLiteral("HelpForward"));
    for (QToolButton* b : {back_, forward_}) {
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setEnabled(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* split = new QSplitter(this);
    contents_ = new QListWidget(split);
    contents_->setObjectName(QStringLiteral("HelpContents"));
    for (const QString& page : manualPages()) {
        auto* item = new QListWidgetItem(manualPageTitle(page), contents_);
        item->setData(Qt::UserRole, page);
    }
    browser_ = new ManualBrowser(*this, split);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({200, 640});
    layout->addWidget(split, 1);
    resize(900, 680);

    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &THelpWindow::syncContents);
    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            showPage(item->data(Qt::UserRole).toString());
    });

    LangRegistry& texts = appLangRegistry();
    bindCaption(texts, QStringLiteral("[sHelpTitle]"), this);
    bindCaption(texts, QStringLiteral("[sHelpBack]"), back_);
    bindCaption(texts, QStringLiteral("[sHelpForward]"), forward_);
    bindAccessibleName(texts, QStringLiteral("[sHelpContents]"), contents_);
    bindAccessibleName(texts, QStringLiteral("[sHelpPage]"), browser_);
    texts.apply(appLanguage());
}

void THelpWindow::showPage(const QString& page) {
    const QUrl url = manualUrl(page);
    // Shown again, a page takes fresh pictures of the windows it describes.
    if (browser_->source() == url)
        browser_->reload();
    else
        browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

QString THelpWindow::currentPage() const {
    return browser_->source().fileName();
}

void THelpWindow::setPictureSource(const QString& name, PictureSource source) {
    pictures_.insert(name, std::move(source));
}

void THelpWindow::setPictureWidget(const QString& name, QWidget* window) {
    setPictureSource(name, [window = QPointer<QWidget>(window)]() -> QImage {
        if (!window)
            return {};
        return window->grab().toImage();
    });
}

QImage THelpWindow::picture(const QString& name) const {
    QImage image;
    if (const auto it = pictures_.find(name); it != pictures_.end() && *it)
        image = (*it)();
    if (image.isNull()) {
        QString subject = name;
        for (const ManualPicture& p : manualPictures())
            if (name == QLatin1String(p.name))
                subject = QString::fromLatin1(p.subject);
        return placeholder(subject, palette());
    }
    const qreal ratio = image.devicePixelRatio();
    if (image.width() / ratio > kMaxPictureWidth)
        image = image.scaledToWidth(int(kMaxPictureWidth * ratio), Qt::SmoothTransformation);
    return image;
}

QTextBrowser* THelpWindow::browser() const {
    return browser_;
}

void THelpWindow::syncContents(const QUrl& source) {
    // The browser announces the new page before source() returns it.
    const QString page = source.fileName();
    for (int i = 0; i < contents_->count(); ++i)
        if (contents_->item(i)->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker quiet(contents_);
            contents_->setCurrentRow(i);
        }
}

} // namespace lw
