#include "editor/tools/Tool.h"

#include "editor/MapDocument.h"

namespace lw {

TPoxel* ToolContext::selectedNode() const {
    return findByListId(scene.ShownRoot, scene.SelectedId);
}

TPoxel* ToolContext::selectedMapNode() const {
    if (!scene.ShownRoot || scene.ShownRoot != doc.root())
        return nullptr;
    return selectedNode();
}

QString bracketed(const QString& text, const QString& value) {
    return text + QStringLiteral(" [") + value + QLatin1Char(']');
}

QString bracketed(const QString& text, uint32_t value) {
    return bracketed(text, QString::number(value));
}

} // namespace lw
