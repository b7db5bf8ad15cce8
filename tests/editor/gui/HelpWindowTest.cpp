// The windows of everyday editing that stand on their own: the manual in its help window (every
// page opens, every link between pages leads to a page, every picture is one the program
// makes), the history page, and map nodes on the system clipboard.

#include "editor/gui/HelpWindow.h"
#include "editor/gui/HistoryPage.h"
#include "editor/gui/Manual.h"
#include "editor/gui/NodeClipboard.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace lw;

namespace {

struct PageRefs {
    std::vector<QUrl> links;
    std::vector<QString> pictures;
};

PageRefs refsOf(const QTextDocument& doc) {
    PageRefs refs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor())
                refs.links.emplace_back(format.anchorHref());
            if (format.isImageFormat())
                refs.pictures.push_back(format.toImageFormat().name());
        }
    return refs;
}

TEST(Manual, EveryPageOpensAndLeadsOnlyToPagesAndPicturesTheProgramHas) {
    THelpWindow help;
    QTextBrowser* browser = help.browser();
    EXPECT_EQ(browser->accessibleName(), "Help page");
    std::set<QString> reached{QString::fromLatin1(kManualStartPage)};
    int links = 0;
    for (const QString& page : manualPages()) {
        help.showPage(page);
        ASSERT_EQ(help.currentPage(), page);
        const QString text = browser->document()->toPlainText();
        EXPECT_TRUE(text.startsWith(manualPageTitle(page))) << page.toStdString();
        EXPECT_GT(text.size(), 800) << page.toStdString();
        const PageRefs refs = refsOf(*browser->document());
        for (const QUrl& link : refs.links) {
            const QUrl target = browser->source().resolved(link);
            ASSERT_EQ(target.scheme(), "qrc")
                << page.toStdString() << ": " << link.toString().toStdString();
            EXPECT_TRUE(manualPages().contains(target.fileName()))
                << page.toStdString() << " links to " << link.toString().toStdString();
            EXPECT_TRUE(QFile::exists(QLatin1Char(':') + target.path()));
            reached.insert(target.fileName());
            ++links;
        }
        for (const QString& picture : refs.pictures) {
            const QUrl url(picture);
            EXPECT_EQ(url.scheme(), kPictureScheme) << page.toStdString();
            EXPECT_TRUE(isManualPicture(url.path()))
                << page.toStdString() << " shows " << picture.toStdString();
        }
    }
    EXPECT_GT(links, 20);
    EXPECT_EQ(reached.size(), size_t(manualPages().size())) << "a page no other page leads to";

    // Following a link and going back.
    help.showPage(QString::fromLatin1(kManualStartPage));
    browser->setSource(browser->source().resolved(QUrl(QStringLiteral("replacer.md"))));
    EXPECT_EQ(help.currentPage(), "replacer.md");
    const auto* contents = help.findChild<QListWidget*>(QStringLiteral("HelpContents"));
    ASSERT_TRUE(contents && contents->currentItem());
    EXPECT_EQ(contents->accessibleName(), "Contents");
    EXPECT_EQ(contents->currentItem()->text(), manualPageTitle(QStringLiteral("replacer.md")));
    browser->backward();
    EXPECT_EQ(help.currentPage(), QString::fromLatin1(kManualStartPage));
}

TEST(Manual, PicturesShowTheLiveWindowOrAPlaceholder) {
    THelpWindow help;
    auto replacer = std::make_unique<QLabel>(QStringLiteral("Find:"));
    replacer->resize(300, 120);
    auto wide = std::make_unique<QLabel>(QStringLiteral("main"));
    wide->resize(1600, 900);
    help.setPictureWidget(QStringLiteral("replacer"), replacer.get());
    help.setPictureWidget(QStringLiteral("main-window"), wide.get());

    const QImage live = help.picture(QStringLiteral("replacer"));
    EXPECT_EQ(live.size() / live.devicePixelRatio(), QSize(300, 120));
    const QImage scaled = help.picture(QStringLiteral("main-window"));
    EXPECT_EQ(qRound(scaled.width() / scaled.devicePixelRatio()), 640) << "fits the page";
    // A window not at hand, or gone: a placeholder of its own size.
    const QImage absent = help.picture(QStringLiteral("heightmap"));
    EXPECT_EQ(absent.size(), QSize(480, 200));
    replacer.reset();
    EXPECT_EQ(help.picture(QStringLiteral("replacer")).size(), QSize(480, 200));

    // The page asks when it is shown.
    help.showPage(QStringLiteral("window.md"));
    const QVariant shown = help.browser()->document()->resource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("picture:main-window")));
    ASSERT_TRUE(shown.canConvert<QImage>());
    EXPECT_EQ(shown.value<QImage>().size(), scaled.size());
}

TEST(HistoryPage, ListsTheStepsAndGoesToTheOneClicked) {
    MapDocument doc;
    THistoryPage page(doc.undoStack());
    EXPECT_EQ(page.accessibleName(), "History");
    doc.addPoxel(*doc.root());
    doc.addDummy(*doc.root());
    ASSERT_EQ(page.model()->rowCount(), 3) << "the start and two steps";
    EXPECT_EQ(page.model()->index(0, 0).data().toString(), "Start");
    EXPECT_EQ(page.model()->index(2, 0).data().toString(), "Add Dummy Poxel");
    page.setCurrentIndex(page.model()->index(0, 0));
    EXPECT_EQ(doc.undoStack()->index(), 0);
    EXPECT_TRUE(doc.root()->Children.empty());
    page.setCurrentIndex(page.model()->index(2, 0));
    EXPECT_EQ(doc.root()->Children.size(), 2u);
}

TEST(NodeClipboard, NodesTravelInTheirOwnFormatBesideAReadableLine) {
    MapDocument source;
    TPoxel* poxel = source.addPoxel(*source.root());
    source.addEmitter(*poxel);
    ASSERT_TRUE(copyNodesToClipboard({poxel}).ok());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_TRUE(clipboardHasNodes());
    EXPECT_EQ(data->text(), QString::fromStdString("Landwright map node: " + poxel->Name));

    MapDocument target;
    auto pasted = pasteNodesFromClipboard(target, *target.root());
    ASSERT_TRUE(pasted.ok()) << pasted.error().message();
    ASSERT_EQ(pasted->size(), 1u);
    EXPECT_EQ(pasted->front()->Entities.size(), 1u);

    // Cut takes the nodes from the map only once they are on the clipboard.
    ASSERT_TRUE(cutNodesToClipboard(source, {poxel}).ok());
    EXPECT_TRUE(source.root()->Children.empty());
    EXPECT_FALSE(cutNodesToClipboard(source, {source.root()}).ok());

    // Text is no nodes.
    QGuiApplication::clipboard()->setText(QStringLiteral("Poxel01"));
    EXPECT_FALSE(clipboardHasNodes());
    const int steps = target.undoStack()->count();
    auto refused = pasteNodesFromClipboard(target, *target.root());
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().key, "sCannotPasteNodes");
    EXPECT_EQ(target.undoStack()->count(), steps);
}

} // namespace
