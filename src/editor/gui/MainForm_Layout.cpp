// The window's layout kept from one session to the next: size, place, maximised state, the
// splitters, the pages shown and the property panels collapsed.

#include "editor/gui/MainForm.h"

#include "editor/gui/PropertiesPage.h"
#include "ui/Settings.h"
#include "ui/gui/PanelPlus.h"

#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>

namespace lw {

namespace {

const QString kGeometry = QStringLiteral("Window/Geometry");
const QString kState = QStringLiteral("Window/State");
const QString kMainSplitter = QStringLiteral("Window/MainSplitter");
const QString kSidePanel = QStringLiteral("Window/SidePanel");
const QString kPages = QStringLiteral("Window/Pages");
const QString kCollapsed = QStringLiteral("Window/CollapsedPanels");

void setBytes(Settings& settings, const QString& name, const QByteArray& bytes) {
    settings.setString(name, QString::fromLatin1(bytes.toBase64()));
}

QByteArray bytes(const Settings& settings, const QString& name) {
    return QByteArray::fromBase64(settings.string(name).value_or(QString()).toLatin1());
}

} // namespace

void TMainForm::saveWindowLayout() {
    Settings settings;
    setBytes(settings, kGeometry, saveGeometry());
    setBytes(settings, kState, saveState());
    setBytes(settings, kMainSplitter, MainSplitter->saveState());
    setBytes(settings, kSidePanel, SidePanel->saveState());
    settings.setString(kPages, QStringLiteral("%1,%2")
                                   .arg(PageControl2->currentIndex())
                                   .arg(PageControl1->currentIndex()));
    QStringList collapsed;
    for (const TPanelPlus* panel : PropertiesPage->panels())
        if (panel->Collapse())
            collapsed << panel->objectName();
    settings.setString(kCollapsed, collapsed.join(QLatin1Char(',')));
}

void TMainForm::restoreWindowLayout() {
    const Settings settings;
    // Values that do not read leave that part of the window as it is.
    if (const QByteArray geometry = bytes(settings, kGeometry); !geometry.isEmpty())
        restoreGeometry(geometry);
    if (const QByteArray state = bytes(settings, kState); !state.isEmpty())
        restoreState(state);
    if (const QByteArray split = bytes(settings, kMainSplitter); !split.isEmpty())
        MainSplitter->restoreState(split);
    if (const QByteArray split = bytes(settings, kSidePanel); !split.isEmpty())
        SidePanel->restoreState(split);
    const QStringList pages =
        settings.string(kPages).value_or(QString()).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (pages.size() == 2) {
        bool ok2 = false, ok1 = false;
        const int page2 = pages[0].toInt(&ok2);
        const int page1 = pages[1].toInt(&ok1);
        if (ok2 && page2 >= 0 && page2 < PageControl2->count())
            PageControl2->setCurrentIndex(page2);
        if (ok1 && page1 >= 0 && page1 < PageControl1->count())
            PageControl1->setCurrentIndex(page1);
    }
    if (const auto collapsed = settings.string(kCollapsed)) {
        const QStringList names = collapsed->split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (TPanelPlus* panel : PropertiesPage->panels())
            panel->setCollapse(names.contains(panel->objectName()));
        PropertiesPage->LayoutPanels();
    }
}

} // namespace lw
