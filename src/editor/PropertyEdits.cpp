#include "editor/PropertyEdits.h"

#include "editor/MapDocument.h"
#include "io/VoxFile.h"
#include "textures/TextureCodes.h"
#include "ui/FloatText.h"
#include "ui/Language.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace lw {

namespace {

// A number's text is never longer than this; anything longer is refused before parsing.
constexpr qsizetype kLongestNumberText = 400;

const char* const kVectorPanelKeys[4] = {
    "[pagePropertieslblPostition]",
    "[pagePropertieslblRotate]",
    "[pagePropertieslblSize]",
    "[pagePropertieslblClip]",
};
const char* const kAxisNames[3] = {"X", "Y", "Z"};
const char* const kLayerAxisNames[4] = {"-X", "-Z", "+X", "+Z"};

TVec3& vectorRef(PoxelContent& c, VectorField field) {
    switch (field) {
    case VectorField::Pos:
        return c.Pos;
    case VectorField::Rot:
        return c.Rot;
    case VectorField::Size:
        return c.Size;
    case VectorField::Clip:
        break;
    }
    return c.Clip;
}

float& component(TVec3& v, int axis) {
    return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z;
}

// The float behind value `index` of line `line` of a table's clipboard text.
float* lineValue(PoxelContent& c, ValueTable table, int line, int index) {
    if (line < 0 || index < 0)
        return nullptr;
    const auto l = size_t(line);
    switch (table) {
    case ValueTable::TextCoord:
        if (line < 4 && index < 4)
            return &c.TextCoord[l * 4 + size_t(index)];
        return nullptr;
    case ValueTable::Layers: {
        if (index >= 4)
            return nullptr;
        ALayer& list = index < 2 ? c.LayerLow : c.LayerHigh;
        if (l >= list.size())
            return nullptr;
        return index % 2 == 0 ? &list[l].X : &list[l].Z;
    }
    case ValueTable::HeightMap:
        if (l >= c.Heights.size() || size_t(index) >= c.Heights[l].size())
            return nullptr;
        return &c.Heights[l][size_t(index)];
    case ValueTable::None:
        break;
    }
    return nullptr;
}

// Grid (column, row) to clipboard (line, index).
bool gridToLine(ValueTable table, int column, int row, int* line, int* index) {
    switch (table) {
    case ValueTable::TextCoord:
        *line = row - 1;
        *index = column;
        return row >= 1;
    case ValueTable::Layers:
        *line = row - 1;
        *index = column - 1;
        return row >= 1 && column >= 1;
    case ValueTable::HeightMap:
        *line = column - 1;
        *index = row - 1;
        return row >= 1 && column >= 1;
    case ValueTable::None:
        break;
    }
    return false;
}

std::optional<float> parseTableNumber(const QString& text, qsizetype from, qsizetype to) {
    if (to - from > kLongestNumberText)
        return std::nullopt;
    const QString value = text.mid(from, to - from);
    // A separator never belongs to a value: a value that runs on across a line end or past a
    // tab would otherwise lose it to the blanks trimmed from a number and read the next line's
    // number in its place.
    for (const QChar c : value)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return std::nullopt;
    const std::optional<double> v = parseFloatText(value);
    if (!v || !std::isfinite(static_cast<float>(*v)))
        return std::nullopt;
    return static_cast<float>(*v);
}

// The first CR or LF at or after `from`, or -1.
qsizetype lineEnd(const QString& text, qsizetype from) {
    const QChar* data = text.constData();
    for (qsizetype i = from; i < text.size(); ++i)
        if (data[i] == QLatin1Char('\r') || data[i] == QLatin1Char('\n'))
            return i;
    return -1;
}

} // namespace

// ---- Merge keys ---------------------------------------------------------------------------------

int vectorFieldId(VectorField field, int axis) {
    return int(field) * 3 + std::clamp(axis, 0, 2);
}

int textCoordFieldId(int index) {
    return 16 + (index & 15);
}

int layerFieldId(int level, int column) {
    return 32 + ((level * 4 + (column & 3)) & 1023);
}

int heightFieldId(int x, int z) {
    return 2048 + ((x * 64 + z) & 2047);
}

int propertyMergeKey(int fieldId, unsigned session) {
    return kPropertyMergeKeyBase + int(session % kPropertySessions) * kPropertyFieldIds +
           (fieldId & (kPropertyFieldIds - 1));
}

// ---- Fields -------------------------------------------------------------------------------------

const TVec3& vectorOf(const PoxelContent& content, VectorField field) {
    return vectorRef(const_cast<PoxelContent&>(content), field);
}

QString vectorStepText(VectorField field, int axis) {
    return langText(kVectorPanelKeys[int(field)]) + QLatin1Char(' ') +
           QLatin1String(kAxisNames[std::clamp(axis, 0, 2)]);
}

bool setVectorComponent(MapDocument& doc, TPoxel& node, VectorField field, int axis, float value,
                        int mergeKey) {
    if (!std::isfinite(value) || axis < 0 || axis > 2)
        return false;
    return doc.editNode(
        node, vectorStepText(field, axis), NodeChange::Transform,
        [&](PoxelContent& c) { component(vectorRef(c, field), axis) = value; }, mergeKey);
}

bool setNodeName(MapDocument& doc, TPoxel& node, const std::string& name, int mergeKey) {
    return doc.editNode(
        node, langText("[pagePropertieslblName]"), NodeChange::Name,
        [&](PoxelContent& c) { c.Name = name; }, mergeKey);
}

bool setLibName(MapDocument& doc, TPoxel& node, const std::string& libName, int mergeKey) {
    return doc.editNode(
        node, langText("[sOpLibName]"), NodeChange::Properties,
        [&](PoxelContent& c) { c.LibName = libName; }, mergeKey);
}

void applyPoxelSizeTo(PoxelContent& content, int nx, int ny, int nz, int box) {
    ResizePoxel(content, nx, ny, nz);
    FillVoxels(content, boxCode(std::clamp(box, 0, 64)));
}

bool applyPoxelSize(MapDocument& doc, TPoxel& node, int nx, int ny, int nz, int box) {
    return doc.editNode(node, langText("[pagePropertieslblPoxelssize]"), NodeChange::Geometry,
                        [&](PoxelContent& c) { applyPoxelSizeTo(c, nx, ny, nz, box); });
}

SurfaceSwitches surfaceSwitchesOf(const PoxelContent& c) {
    SurfaceSwitches s;
    s.topSmooth = (c.Surface >> 8 & 0xFFu) != 0;
    s.sideSmooth = (c.Surface & 0xFFu) != 0;
    s.question = (c.Surface2 >> 24 & 0xFFu) != 0;
    s.visible = (c.Surface2 >> 16 & 0xFFu) != 0;
    s.alpha = (c.Color >> 24 & 0xFFu) == 0xFFu;
    return s;
}

void applySurfaceSwitchesTo(PoxelContent& c, const SurfaceSwitches& s) {
    c.Surface = (c.Surface & 0xFFFF0000u) + (s.topSmooth ? 256u : 0u) + (s.sideSmooth ? 1u : 0u);
    c.Surface2 = (c.Surface2 & 0xFFFFu) + (s.visible ? 65536u : 0u) + (s.question ? 16777216u : 0u);
    c.Color = (c.Color & 0x00FFFFFFu) | (s.alpha ? 0xFF000000u : 0u);
}

bool applySurfaceSwitches(MapDocument& doc, TPoxel& node, const SurfaceSwitches& switches) {
    // Smoothing and the alpha byte shape the mesh.
    return doc.editNode(node, langText("[pagePropertieslblSurfacestype]"),
                        NodeChange::Geometry | NodeChange::Properties,
                        [&](PoxelContent& c) { applySurfaceSwitchesTo(c, switches); });
}

bool setPoxelColour(MapDocument& doc, TPoxel& node, uint32_t rgb) {
    // The mesh carries the colour in its vertices, so it is rebuilt like any geometry change.
    return doc.editNode(node, langText("[sOpColor]"), NodeChange::Geometry, [&](PoxelContent& c) {
        c.Color = (c.Color & 0xFF000000u) | (rgb & 0x00FFFFFFu);
    });
}

bool setCellCode(MapDocument& doc, TPoxel& node, size_t cell, uint32_t code) {
    if (cell >= node.Voxels.size())
        return false;
    return doc.editNode(node, langText("[sTextureCode]"), NodeChange::Geometry,
                        [&](PoxelContent& c) { c.Voxels[cell] = code; });
}

Status importVoxCells(MapDocument& doc, TPoxel& node, const std::string& fileName) {
    // The file is read into a copy first, so a refused file leaves the node as it was.
    PoxelContent imported = node.content();
    if (Status read = readVoxFile(imported, fileName); !read)
        return read;
    doc.editNode(node, langText("[sOpImportVox]"), NodeChange::Geometry,
                 [&](PoxelContent& c) { c.Voxels = imported.Voxels; });
    return Ok{};
}

// ---- Value tables -------------------------------------------------------------------------------

float* tableValue(PoxelContent& content, ValueTable table, int column, int row) {
    int line = 0, index = 0;
    if (!gridToLine(table, column, row, &line, &index))
        return nullptr;
    return lineValue(content, table, line, index);
}

const float* tableValue(const PoxelContent& content, ValueTable table, int column, int row) {
    return tableValue(const_cast<PoxelContent&>(content), table, column, row);
}

QString tableValueLabel(const PoxelContent& content, ValueTable table, int column, int row) {
    const QString name = QString::fromLatin1(content.Name);
    switch (table) {
    case ValueTable::Layers:
        return QStringLiteral("[%1].[%2].[%3].[%4]")
            .arg(name, langText("[sLayers]"), QString::number(row),
                 QLatin1String(kLayerAxisNames[std::clamp(column - 1, 0, 3)]));
    case ValueTable::HeightMap:
        return QStringLiteral("[%1].[%2].[%3,%4]")
            .arg(name, langText("[sHMap]"), QString::number(column), QString::number(row));
    case ValueTable::TextCoord:
        return QStringLiteral("[%1].[%2].[%3].[%4]")
            .arg(name, langText("[sTextCoord]"), QString::number(row - 1), QString::number(column));
    case ValueTable::None:
        break;
    }
    return {};
}

QString tableStepText(ValueTable table) {
    switch (table) {
    case ValueTable::TextCoord:
        return langText("[sTextCoord]");
    case ValueTable::Layers:
        return langText("[sLayers]");
    case ValueTable::HeightMap:
        return langText("[sHMap]");
    case ValueTable::None:
        break;
    }
    return {};
}

int tableFieldId(ValueTable table, int column, int row) {
    switch (table) {
    case ValueTable::TextCoord:
        return textCoordFieldId((row - 1) * 4 + column);
    case ValueTable::Layers:
        return layerFieldId(row - 1, column - 1);
    case ValueTable::HeightMap:
        return heightFieldId(column - 1, row - 1);
    case ValueTable::None:
        break;
    }
    return 0;
}

bool setTableValue(MapDocument& doc, TPoxel& node, ValueTable table, int column, int row,
                   float value, int mergeKey) {
    if (!std::isfinite(value) || !tableValue(node.content(), table, column, row))
        return false;
    return doc.editNode(
        node, tableStepText(table), NodeChange::Geometry,
        [&](PoxelContent& c) { *tableValue(c, table, column, row) = value; }, mergeKey);
}

int tableLines(const PoxelContent& c, ValueTable table) {
    switch (table) {
    case ValueTable::TextCoord:
        return 4;
    case ValueTable::Layers:
        return int(
            std::min({size_t(std::max(c.NY, 0)) + 1, c.LayerLow.size(), c.LayerHigh.size()}));
    case ValueTable::HeightMap:
        return int(std::min(size_t(std::max(c.NX, 0)) + 1, c.Heights.size()));
    case ValueTable::None:
        break;
    }
    return 0;
}

int tableLineValues(const PoxelContent& c, ValueTable table) {
    switch (table) {
    case ValueTable::TextCoord:
    case ValueTable::Layers:
        return 4;
    case ValueTable::HeightMap:
        return std::max(c.NZ, 0) + 1;
    case ValueTable::None:
        break;
    }
    return 0;
}

QString tableText(const PoxelContent& content, ValueTable table) {
    QString out;
    auto& c = const_cast<PoxelContent&>(content);
    const int lines = tableLines(c, table);
    const int values = tableLineValues(c, table);
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < values; ++i) {
            const float* v = lineValue(c, table, line, i);
            if (i > 0)
                out += QLatin1Char('\t');
            out += formatFixed(v ? double(*v) : 0.0, 6);
        }
        out += QStringLiteral("\r\n");
    }
    return out;
}

int pasteTableInto(PoxelContent& content, ValueTable table, const QString& text) {
    const int lines = tableLines(content, table);
    const int values = tableLineValues(content, table);
    qsizetype at = 0;
    int stored = 0;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < values; ++i) {
            const bool last = i == values - 1;
            const qsizetype end = last ? lineEnd(text, at) : text.indexOf(QLatin1Char('\t'), at);
            if (end < 0)
                return stored;
            const std::optional<float> v = parseTableNumber(text, at, end);
            float* target = lineValue(content, table, line, i);
            if (!v || !target)
                return stored;
            *target = *v;
            ++stored;
            at = end + 1;
            // After the carriage return one more character (the line feed) goes as well.
            if (last && text.at(end) == QLatin1Char('\r'))
                ++at;
        }
    }
    return stored;
}

int pasteTable(MapDocument& doc, TPoxel& node, ValueTable table, const QString& text) {
    int stored = 0;
    doc.editNode(node, langText("[mnuCopyPastetable]"), NodeChange::Geometry,
                 [&](PoxelContent& c) { stored = pasteTableInto(c, table, text); });
    return stored;
}

bool clipboardStartsWithNumber(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab >= 0 && parseTableNumber(text, 0, tab).has_value();
}

QString groupedNumber(double value) {
    const QLocale locale;
    QString text = formatFixed(value, 6, locale);
    if (text.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        return text;
    const QString point = locale.decimalPoint();
    qsizetype end = text.indexOf(point);
    if (end < 0)
        end = text.size();
    const qsizetype begin =
        text.startsWith(locale.negativeSign()) ? locale.negativeSign().size() : 0;
    const QString separator = locale.groupSeparator();
    for (qsizetype i = end - 3; i > begin; i -= 3)
        text.insert(i, separator);
    return text;
}

} // namespace lw
