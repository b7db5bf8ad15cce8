#pragma once
// The brushes that edit the inside of a poxel, as plain functions: the cell code the fill brush
// writes and the settings the get brush reads back, the corner boxes, "Auto Blur" and "Blur",
// the heightmap brush's fall-off over a height snapshot, and the strokes that make every use of
// a brush one undo step however many cells or samples it touched.

#include "core/Poxel.h"
#include "editor/PropertyEdits.h"
#include "render/PickArrays.h"
#include "render/TextureList.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace lw {

class MapDocument;

// The integer nearest to a setting's value, halves going to the even neighbour.
int nearestInt(double value);

// ---- Cell brushes -------------------------------------------------------------------------------

// The settings of "Poxel Texture" as the fields hold them: the first texture box (EditX18), the
// second ("Mat", EditX17) and the top and bottom corner flags (EditX19, EditX20).
struct CellBrushSettings {
    double Box = 1.0;
    double Mat = 0.0;
    double Corners = 0.0;
    double Blur = 0.0;
    friend bool operator==(const CellBrushSettings&, const CellBrushSettings&) = default;
};

// The cell word the fill brush writes: box a as 4a - 1 (0 for none), box b likewise in bits
// 8-15, the corner flags in bits 16-19 and 20-23, bits 24-31 zero. Values outside the fields'
// ranges are brought into them first, so no part reaches into its neighbour's bits.
uint32_t fillCodeOf(const CellBrushSettings& settings);
// What the get brush reads back from a cell word: (byte + 1) div 4 for the two boxes, the two
// nibbles of corner flags; bits 24-31 are not read.
CellBrushSettings settingsOfCell(uint32_t cell);

// The four corner boxes of one square (the top corners' outer square or the bottom corners'
// inner one) and the setting they stand for: box i is bit i.
int cornerValueOf(const std::array<bool, 4>& boxes);
std::array<bool, 4> cornerBoxesOf(int value);

// ---- Auto Blur and Blur -------------------------------------------------------------------------

// "You sure, Blur from [a] to [b]?" with the settings as shown (no rounding).
QString autoBlurQuestion(double box, double mat);

// One cell under Auto Blur from texture code t1 to t2 (4n - 1 codes, 0 for none): a cell with any
// of bits 20-27 set is left; a cell of first code t2 becomes the pair (t2, t1) without corner
// flags, one of first code t1 the same pair with all eight corner flags set; others stay.
uint32_t autoBlurCell(uint32_t cell, uint32_t t1, uint32_t t2);
// Auto Blur of every cell from box `box` (the first texture) to box `mat`; how many changed.
int autoBlurCells(PoxelContent& content, int box, int mat);
// As one undo step ("Auto Blur"); false when no cell changed.
bool autoBlur(MapDocument& doc, TPoxel& node, int box, int mat);

// The cell words with the combined corner flags of their neighbours ORed in, exactly as the mesh
// builder's blur pass gives them: only textured cells blend, so without a texture list the
// cells come back unchanged.
std::vector<uint32_t> blurredCells(const TPoxel& node, const TTextureList* textures);
// "Blur" as one undo step ("Blur"); false when it changed nothing.
bool blur(MapDocument& doc, TPoxel& node, const TTextureList* textures);

// ---- Heightmap brush ----------------------------------------------------------------------------

// A copy of a poxel's Heights, taken at a pick: the "Height" setting is an offset from it.
using HeightSnapshot = THmap;

// Heights[x][z] = HeightWeight(x, z) * h / 100 + snapshot[x][z] for every grid point both the
// poxel and the snapshot have; h = 0 gives the snapshot back.
void applyHeightBrush(PoxelContent& content, const HeightSnapshot& snapshot,
                      const TPickArray& picks, double h);

// ---- Strokes ------------------------------------------------------------------------------------

enum class BrushKind { Fill = 0, Erase = 1, Heights = 2, Layers = 3, Blur = 4, AutoBlur = 5 };

// The name of a brush's undo step: "Fill", "Erase", "Heights", "Layers", "Blur", "Auto Blur".
QString brushStepText(BrushKind kind);

// Merge keys of the brushes, above those of the property fields: the brush plus a stroke number,
// so the samples of one stroke merge and the next stroke is a step of its own.
constexpr int kBrushMergeKeyBase = kPropertyMergeKeyEnd;
constexpr int kBrushStrokes = 1024;
constexpr int kBrushKinds = 8;
int brushMergeKey(BrushKind kind, unsigned stroke);

// One use of a brush: from the press to the release of the button for the cell brushes, from
// one pick to the next for the heightmap brush. Every sample taken while it runs merges into the
// step the first one made.
class BrushStroke {
public:
    void begin(BrushKind kind) {
        kind_ = kind;
        active_ = true;
        ++number_;
    }
    void end() { active_ = false; }
    bool active() const { return active_; }
    BrushKind kind() const { return kind_; }
    int mergeKey() const { return brushMergeKey(kind_, number_); }

private:
    BrushKind kind_ = BrushKind::Fill;
    bool active_ = false;
    unsigned number_ = 0;
};

// One sample of a cell brush: cell `cell` becomes `code`, merged into the stroke's step ("Fill",
// or "Erase" for the erase brush). False for a cell the poxel does not have or a cell that
// already holds the code.
bool paintCell(MapDocument& doc, TPoxel& node, size_t cell, uint32_t code,
               const BrushStroke& stroke);

// One sample of the heightmap brush, merged into the stroke's step ("Heights").
bool paintHeights(MapDocument& doc, TPoxel& node, const HeightSnapshot& snapshot,
                  const TPickArray& picks, double h, const BrushStroke& stroke);

} // namespace lw
