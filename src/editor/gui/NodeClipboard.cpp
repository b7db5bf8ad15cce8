#include "editor/gui/NodeClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace lw {

namespace {

QString mimeType() {
    return QString::fromLatin1(kNodeFragmentMimeType);
}

} // namespace

QMimeData* nodesMimeData(const NodeFragment& fragment) {
    auto* data = new QMimeData;
    data->setData(mimeType(), QByteArray(reinterpret_cast<const char*>(fragment.bytes.data()),
                                         qsizetype(fragment.bytes.size())));
    data->setText(QString::fromLatin1(fragment.text));
    return data;
}

std::optional<std::vector<uint8_t>> nodesOfMimeData(const QMimeData* data) {
    if (!data || !data->hasFormat(mimeType()))
        return std::nullopt;
    const QByteArray bytes = data->data(mimeType());
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool clipboardHasNodes() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(mimeType());
}

Status copyNodesToClipboard(const std::vector<TPoxel*>& nodes) {
    auto fragment = copyNodes(nodes);
    if (!fragment)
        return fragment.error();
    QGuiApplication::clipboard()->setMimeData(nodesMimeData(*fragment));
    return Ok{};
}

Status cutNodesToClipboard(MapDocument& doc, const std::vector<TPoxel*>& nodes) {
    auto fragment = cutNodes(doc, nodes);
    if (!fragment)
        return fragment.error();
    QGuiApplication::clipboard()->setMimeData(nodesMimeData(*fragment));
    return Ok{};
}

Result<std::vector<TPoxel*>> pasteNodesFromClipboard(MapDocument& doc, TPoxel& target) {
    auto bytes = nodesOfMimeData(QGuiApplication::clipboard()->mimeData());
    if (!bytes)
        return pasteRefused("the clipboard holds no map nodes; copy nodes in Landwright first");
    return pasteNodes(doc, target, std::move(*bytes));
}

} // namespace lw
