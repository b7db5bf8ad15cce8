#include "editor/gui/ToolIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The drawings live in a static library, so their registration is asked for by name.
static void registerToolBarDrawings() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(ToolBar);
        return true;
    }();
    (void)registered;
}

namespace lw {

QIcon toolBarIcon(const QString& name, QSize size) {
    registerToolBarDrawings();
    QSvgRenderer drawing(QStringLiteral(":/toolbar/%1.svg").arg(name));
    if (!drawing.isValid())
        return {};
    QIcon icon;
    // The disabled look is made from these by the style, so only the normal state is drawn.
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            drawing.render(&painter);
        }
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace lw
