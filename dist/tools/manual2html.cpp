// Build tool: turns the pages of the built-in manual into HTML pages to install beside the
// programs. Qt reads the Markdown, as the help window does; links between pages are pointed at
// the HTML files, and the pictures of windows, which only the running editor can make, are
// replaced by a line that says where to see them.
//   lw_manual2html OUT_DIR PAGE.md [PAGE.md ...]

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QUrl>

#include <cstdio>
#include <vector>

namespace {

// "map-tree.md" and "map-tree.md#x" become "map-tree.html" and "map-tree.html#x".
QString htmlLink(const QString& href) {
    const QUrl url(href);
    if (!url.isRelative() || !url.path().endsWith(QLatin1String(".md")))
        return href;
    QUrl html = url;
    html.setPath(url.path().chopped(3) + QStringLiteral(".html"));
    return html.toString();
}

// Rewrites links and pictures in place, fragment by fragment.
void adapt(QTextDocument& doc) {
    struct Picture {
        int position;
        int length;
    };
    std::vector<Picture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat() &&
                QUrl(format.toImageFormat().name()).scheme() == QLatin1String("picture")) {
                pictures.push_back({fragment.position(), fragment.length()});
            } else if (format.isAnchor()) {
                const QString href = format.anchorHref();
                if (htmlLink(href) != href) {
                    format.setAnchorHref(htmlLink(href));
                    QTextCursor cursor(&doc);
                    cursor.setPosition(fragment.position());
                    cursor.setPosition(fragment.position() + fragment.length(),
                                       QTextCursor::KeepAnchor);
                    cursor.setCharFormat(format);
                }
            }
        }
    // Last first, so that earlier positions stay valid.
    for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) {
        QTextCursor cursor(&doc);
        cursor.setPosition(it->position);
        cursor.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        QTextCharFormat note;
        note.setFontItalic(true);
        cursor.insertText(QStringLiteral("(A picture of this window is shown here in the "
                                         "editor's own Help window.)"),
                          note);
    }
}

QString titleOf(const QString& markdown) {
    for (const QString& line : markdown.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("# ")))
            return line.mid(2).trimmed();
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lw_manual2html OUT_DIR PAGE.md [PAGE.md ...]\n");
        return 2;
    }
    // Laying out text needs fonts, which need an application; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const QString pagePath = QString::fromLocal8Bit(argv[i]);
        QFile page(pagePath);
        if (!page.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "lw_manual2html: cannot read %s\n", argv[i]);
            return 1;
        }
        const QString markdown = QString::fromUtf8(page.readAll());
        QTextDocument doc;
        doc.setMarkdown(markdown);
        doc.setMetaInformation(QTextDocument::DocumentTitle,
                               QStringLiteral("Landwright: ") + titleOf(markdown));
        adapt(doc);
        const QString out =
            outDir + QLatin1Char('/') + QFileInfo(pagePath).completeBaseName() + ".html";
        QTextDocumentWriter writer(out, "HTML");
        if (!writer.write(&doc)) {
            std::fprintf(stderr, "lw_manual2html: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
