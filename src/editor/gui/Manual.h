#pragma once
// The manual built into the program: Markdown pages among the program's resources, and the
// pictures of windows they show, which the program makes itself while the manual is open.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <span>

namespace lw {

// The page the manual opens on; every other page is reached from it.
inline constexpr char kManualStartPage[] = "index.md";
// Pages refer to pictures of windows as "picture:NAME".
inline constexpr char kPictureScheme[] = "picture";

// The pages in the order of the contents.
QStringList manualPages();
// Where a page lives among the resources ("qrc:/manual/index.md").
QUrl manualUrl(const QString& page);
// The page's title: the text of its first heading.
QString manualPageTitle(const QString& page);

// A window or part of one that a page shows.
struct ManualPicture {
    const char* name;    // as in "picture:NAME"
    const char* subject; // what it shows, for the placeholder
};
std::span<const ManualPicture> manualPictures();
bool isManualPicture(const QString& name);

} // namespace lw
