#pragma once
// The help window: the built-in manual in a browser with its contents beside it. Pages that
// describe a window show a picture of it, which the program makes from the live window when the
// page is shown, or a plain placeholder when that window is not at hand.

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QListWidget;
class QTextBrowser;
class QToolButton;

namespace lw {

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Opens `page` ("map-tree.md"), shows the window and brings it to the front.
    void showPage(const QString& page);
    // The file name of the page shown.
    QString currentPage() const;

    // Where the picture `name` (a page's "picture:NAME") comes from while the manual is open.
    using PictureSource = std::function<QImage()>;
    void setPictureSource(const QString& name, PictureSource source);
    // The picture is `window` as it looks when the page is shown (nothing once it is gone).
    void setPictureWidget(const QString& name, QWidget* window);
    // The picture as a page shows it now: the source's image, scaled to fit the page, or a
    // placeholder naming what it would show.
    QImage picture(const QString& name) const;

    QTextBrowser* browser() const;

private:
    void syncContents(const QUrl& source);

    QTextBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QHash<QString, PictureSource> pictures_;
};

} // namespace lw
