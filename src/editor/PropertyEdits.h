#pragma once
// The edits of the property panels as document steps: the transform fields, the names, the
// cell counts with their texture, the surface switches and the colour, one cell code, the
// values of the three value tables and the tables' clipboard text. Each function is one undo
// step (or merges into the previous one with the same merge key) and records nothing when the
// node would not change.

#include "core/Poxel.h"
#include "core/Result.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace lw {

class MapDocument;

// ---- Merge keys ---------------------------------------------------------------------------------

// Successive edits of one field of one node merge into one step while they carry the same key.
// The property fields use the keys from kPropertyMergeKeyBase up to kPropertyMergeKeyEnd: the
// field's identity plus an editing session number, so that one drag of a spinner is one step
// and the next drag (or the next typed value) is another.
constexpr int kPropertyMergeKeyBase = 0x100000;
constexpr int kPropertySessions = 256;
constexpr int kPropertyFieldIds = 4096;
constexpr int kPropertyMergeKeyEnd = kPropertyMergeKeyBase + kPropertySessions * kPropertyFieldIds;

enum class VectorField { Pos = 0, Rot = 1, Size = 2, Clip = 3 };

// Field identities (below kPropertyFieldIds).
int vectorFieldId(VectorField field, int axis);
constexpr int kNameFieldId = 12;
constexpr int kLibNameFieldId = 13;
int textCoordFieldId(int index);
int layerFieldId(int level, int column);
int heightFieldId(int x, int z);

int propertyMergeKey(int fieldId, unsigned session);

// ---- Fields -------------------------------------------------------------------------------------

// Pos, Rot, Size or Clip component `axis` (0 = X, 1 = Y, 2 = Z). The step is named after the
// panel and the axis ("Position X").
bool setVectorComponent(MapDocument& doc, TPoxel& node, VectorField field, int axis, float value,
                        int mergeKey = -1);
const TVec3& vectorOf(const PoxelContent& content, VectorField field);
QString vectorStepText(VectorField field, int axis);

bool setNodeName(MapDocument& doc, TPoxel& node, const std::string& name, int mergeKey = -1);
bool setLibName(MapDocument& doc, TPoxel& node, const std::string& libName, int mergeKey = -1);

// "Apply" of "Poxels Size": the new counts (below 1 become 1; existing values keep their array
// places), then every cell filled with texture box `box` (0 empties them; 1..64).
void applyPoxelSizeTo(PoxelContent& content, int nx, int ny, int nz, int box);
bool applyPoxelSize(MapDocument& doc, TPoxel& node, int nx, int ny, int nz, int box);

// The switches of "Surfaces Type".
struct SurfaceSwitches {
    bool topSmooth = false;
    bool sideSmooth = false;
    bool question = false; // the box captioned "?"
    bool visible = false;
    bool alpha = false;
    friend bool operator==(const SurfaceSwitches&, const SurfaceSwitches&) = default;
};
SurfaceSwitches surfaceSwitchesOf(const PoxelContent& content);
// "Apply": the surface codes (Surface bits 16-31, Surface2 bits 0-15) and the colour are kept.
void applySurfaceSwitchesTo(PoxelContent& content, const SurfaceSwitches& switches);
bool applySurfaceSwitches(MapDocument& doc, TPoxel& node, const SurfaceSwitches& switches);

// "Select": the colour's 24 bits (0x00BBGGRR) replace those of Color; the alpha byte stays.
bool setPoxelColour(MapDocument& doc, TPoxel& node, uint32_t rgb);

// One cell's code (the code table's editor); false for a cell the node does not have.
bool setCellCode(MapDocument& doc, TPoxel& node, size_t cell, uint32_t code);

// "Import *.vox" as one step: the file's first texture codes into the node's cells. A file that
// is missing, of another size or too short is refused with its reason and changes nothing.
Status importVoxCells(MapDocument& doc, TPoxel& node, const std::string& fileName);

// ---- Value tables -------------------------------------------------------------------------------

enum class ValueTable { None, TextCoord, Layers, HeightMap };

// The float shown in grid cell (column, row) of `table` (the grids' own coordinates: row 0 and,
// for the height grid, column 0 are the title cells), or nullptr when the cell shows none.
float* tableValue(PoxelContent& content, ValueTable table, int column, int row);
const float* tableValue(const PoxelContent& content, ValueTable table, int column, int row);
// The name of the value for the value dialog: "[Tower].[Layers].[3].[+X]".
QString tableValueLabel(const PoxelContent& content, ValueTable table, int column, int row);
QString tableStepText(ValueTable table);
int tableFieldId(ValueTable table, int column, int row);

bool setTableValue(MapDocument& doc, TPoxel& node, ValueTable table, int column, int row,
                   float value, int mergeKey = -1);

// Lines and values per line of a table's clipboard text.
int tableLines(const PoxelContent& content, ValueTable table);
int tableLineValues(const PoxelContent& content, ValueTable table);

// "Copy Table": every value with six decimals (the locale's decimal separator), one tab between
// values, every line ending in CR LF. Empty for ValueTable::None.
QString tableText(const PoxelContent& content, ValueTable table);

// "Paste Table": reads values in the order tableText writes them and stores each at once. A
// value is the text before the next tab, the last of a line the text before the next line end
// (CR, after which one more character goes, or a bare LF). Reading stops at the first value that
// does not parse as a finite 32-bit float (a value holding a tab or a line end never does) or has
// no separator after it; the values stored before it remain. Returns how many values were
// stored.
int pasteTableInto(PoxelContent& content, ValueTable table, const QString& text);
// As one step named "Paste Table"; the number of values stored.
int pasteTable(MapDocument& doc, TPoxel& node, ValueTable table, const QString& text);

// Whether the clipboard text may be offered for pasting: the text before its first tab is a
// number.
bool clipboardStartsWithNumber(const QString& text);

// Numbers as the table menu shows them: "1,234.500000" (the locale's separators, six decimals).
QString groupedNumber(double value);

} // namespace lw
