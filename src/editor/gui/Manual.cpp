#include "editor/gui/Manual.h"

#include <QFile>

#include <algorithm>
#include <array>

// The pages live in a static library, so their registration is asked for by name.
static void registerManualPages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(Manual);
        return true;
    }();
    (void)registered;
}

namespace lw {

namespace {

constexpr const char* kPages[] = {
    "index.md",         "getting-started.md", "window.md",   "tools-and-keys.md",
    "map-tree.md",      "properties.md",      "brushes.md",  "textures.md",
    "import-export.md", "replacer.md",        "autosave.md", "command-line.md",
};

constexpr std::array kPictures = {
    ManualPicture{"main-window", "The main window"},
    ManualPicture{"map-tree", "The map tree"},
    ManualPicture{"properties", "The property page"},
    ManualPicture{"texture-page", "The texture page"},
    ManualPicture{"texture-browser", "The texture browser"},
    ManualPicture{"replacer", "The replacer"},
    ManualPicture{"import-3ds", "The 3DS import dialog"},
    ManualPicture{"heightmap", "The height map dialog"},
};

} // namespace

QStringList manualPages() {
    registerManualPages();
    QStringList pages;
    for (const char* page : kPages)
        pages << QString::fromLatin1(page);
    return pages;
}

QUrl manualUrl(const QString& page) {
    registerManualPages();
    return QUrl(QStringLiteral("qrc:/manual/") + page);
}

QString manualPageTitle(const QString& page) {
    registerManualPages();
    QFile file(QStringLiteral(":/manual/") + page);
    if (!file.open(QIODevice::ReadOnly))
        return page;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("# ")))
            return line.mid(2).trimmed();
    }
    return page;
}

std::span<const ManualPicture> manualPictures() {
    return kPictures;
}

bool isManualPicture(const QString& name) {
    return std::any_of(kPictures.begin(), kPictures.end(),
                       [&name](const ManualPicture& p) { return name == QLatin1String(p.name); });
}

} // namespace lw
