#pragma once
// The node of the map tree: poxels, groups, the root and entities are all TPoxel.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lw {

struct TVec3 {
    float X = 0.0f;
    float Y = 0.0f;
    float Z = 0.0f;

    friend bool operator==(const TVec3&, const TVec3&) = default;
};

// Level offset pair of one level.
struct TLayer {
    float X = 0.0f;
    float Z = 0.0f;

    friend bool operator==(const TLayer&, const TLayer&) = default;
};

using ALayer = std::vector<TLayer>;
// Indexed [x][z].
using THmap = std::vector<std::vector<float>>;

class TPoxel;
using TArrayPoxel = std::vector<std::unique_ptr<TPoxel>>;

// Pick lists of the height and layer tools; defined by the renderer.
struct TPickArray;
struct TLPickArray;

// Opaque handle of a node's item in a tree view. Core never looks inside; the GUI stores
// its own item pointer here.
using TreeItem = void*;

// Receives tree items while nodes are decoded, cloned or listed. The GUI implements it over
// a QTreeWidget; headless callers pass nullptr and get no items.
class ItemSink {
public:
    virtual ~ItemSink() = default;
    // Adds an item under `parent` (nullptr = top level) and returns its handle.
    // `node` is the poxel the item shows, or nullptr for a library listing entry, whose
    // item data is the object index instead.
    virtual TreeItem addItem(TreeItem parent, const std::string& text, int image, TPoxel* node,
                             int objectIndex) = 0;
    // Updates text, image and data of an existing item (used when a node's content is replaced).
    virtual void updateItem(TreeItem item, const std::string& text, int image, TPoxel* node) = 0;
};

// Tree images of the node kinds.
enum TreeImage : int {
    ImageRoot = 0,
    ImageEntity = 1,
    ImagePoxel = 2,
    ImageGroup = 3,
};

// Installed by the OpenGL layer: releases the GPU mesh of a node that is destroyed with
// ListsBuilt set. Core itself never calls OpenGL.
using DisplayListReleaseHook = void (*)(const TPoxel& node);
void setDisplayListReleaseHook(DisplayListReleaseHook hook);

// Display-list bands per document.
constexpr int32_t kListBase = 10000;
constexpr int32_t kPreviewCounterBase = 200000;
constexpr int32_t kImportMapCounterBase = 300000;
constexpr int32_t kHeightmapCounterBase = 400000;

// Default cell code of a new poxel: texture box 1, no second texture, no corner flags.
constexpr uint32_t kDefaultCellCode = 3;

// A node's own data: what a file stores and the editor edits. Undo keeps a node's state as one
// copy of this, so nothing of the renderer's or the tools' state belongs here.
struct PoxelContent {
    std::string Name = "Poxel";
    std::string LibName;
    TVec3 Pos;
    TVec3 Rot; // degrees
    TVec3 Size{1.0f, 1.0f, 1.0f};
    TVec3 Clip;
    std::array<float, 16> TextCoord{};
    int32_t LowCount = 0;
    ALayer LayerLow;
    int32_t HighCount = 0;
    ALayer LayerHigh;
    int32_t NX = 1;
    int32_t NY = 1;
    int32_t NZ = 1;
    int32_t HeightCount = 0;
    THmap Heights;
    int32_t HmTex1 = 0;
    int32_t HmTex2 = 0;
    std::vector<std::vector<float>> HmImage;
    uint32_t Surface = 0;
    uint32_t Surface2 = 65536;
    uint32_t Color = 0xFFFFFFFFu;
    int32_t VoxelCount = 0;
    std::vector<uint32_t> Voxels;
    bool IsGroup = false;
    bool IsRoot = false;
    bool IsEntity = false;
    bool IsHeightmapImage = false;
    int32_t StoreIndex = 0;

    // Rotation exactly as it was read from a file (radians) and the degrees decoded from it.
    // While Rot still holds those degrees the writer stores the original radians, so a map
    // that is opened and saved again keeps its angles bit for bit.
    TVec3 FileRotRadians;
    TVec3 FileRotDegrees;
    bool HasFileRot = false;

    // Cell (x, y, z) lives at y + NY * (x + NX * z).
    size_t cellIndex(int32_t x, int32_t y, int32_t z) const {
        return static_cast<size_t>(y) +
               static_cast<size_t>(NY) * (static_cast<size_t>(x) + static_cast<size_t>(NX) * z);
    }

    friend bool operator==(const PoxelContent&, const PoxelContent&) = default;
};

// What the mesh builder, the view and the tools keep beside a node: derived from the content,
// never saved and never part of an undo step.
struct PoxelScratch {
    // Local bounding box and the deformed lattice, written by the mesh builder.
    TVec3 BoxMin;
    TVec3 BoxMax;
    std::vector<TVec3> Vertices;
    TPickArray* HeightPicks = nullptr;
    TLPickArray* LayerPicks = nullptr;
    // Switches of one mesh build.
    bool DirectDraw = false;
    bool ShowPoints = false;
    bool HeightPickMode = false;
    bool LayerPickMode = false;
    bool HeightPickPass = false;
    bool LayerPickPass = false;
    bool BlurPass = false;
    // The node's GPU mesh (vertex buffers of its triangles, edges and pick triangles) is kept
    // under the handle GlLists, which the OpenGL layer gave this node alone in the context of
    // generation GlGeneration. ListsBuilt is set once the mesh was uploaded.
    uint32_t GlLists = 0;
    uint32_t GlGeneration = 0;
    bool ListsBuilt = false;
};

class TPoxel : public PoxelContent, public PoxelScratch {
public:
    // TPoxel.Create: dimensions below 1 become 1.
    TPoxel(int32_t nx, int32_t ny, int32_t nz);
    ~TPoxel();
    TPoxel(const TPoxel&) = delete;
    TPoxel& operator=(const TPoxel&) = delete;

    PoxelContent& content() { return *this; }
    const PoxelContent& content() const { return *this; }

    // The node's pick identity and the value SelectedId holds: 10000 + the counter at creation
    // (bands per document). Unique within a document; it names no display list.
    int32_t ListId = 0;
    // The node's identity number ("Get ID Poxel", the replacer): unique among all nodes made
    // in this run and fixed for the node's life. Nodes are numbered in creation order from 1,
    // so reading the same file in a fresh run gives the same numbers.
    const int32_t Serial;
    TArrayPoxel Children;
    TArrayPoxel Entities;
    TreeItem Node = nullptr;

    int treeImage() const;
};

// Node factory that keeps call sites short.
std::unique_ptr<TPoxel> makePoxel(int32_t nx = 1, int32_t ny = 1, int32_t nz = 1);

// Both work on a node's own data, so an edit can apply them to a copy of it.
void ResizePoxel(PoxelContent& poxel, int32_t nx, int32_t ny, int32_t nz);
void FillVoxels(PoxelContent& poxel, uint32_t code);
TPoxel* AddChildPoxel(TPoxel& parent, std::unique_ptr<TPoxel> node);
TPoxel* AddEntity(TPoxel& parent, std::unique_ptr<TPoxel> node);
// Removes and destroys `node` (with its subtree). Returns false, and changes nothing, when
// `node` is not in the matching list of `parent`.
bool RemovePoxel(TPoxel& parent, TPoxel* node);
void CountPoxels(const TPoxel& node, int64_t& cells, int64_t& nodes);

// Deep copy of `source` into the fresh `target`; items are added under `parentItem` when
// `view` is given. Meshes are not built here: the caller rebuilds the subtree.
void ClonePoxel(TPoxel& target, const TPoxel& source, ItemSink* view, TreeItem parentItem);
// Replaces the content of `target` by a copy of `source`, keeping the target's position and
// rotation and appending copies of the source's entities and children.
void CopyPoxelContent(TPoxel& target, const TPoxel& source, ItemSink* view);

// Adds items for `node` and its subtree under `parentItem`; used after a successful decode.
void addTreeItems(TPoxel& node, ItemSink& view, TreeItem parentItem);

// The global display-list counter.
int32_t PoxelCounter();
void ResetPoxelCounter();
void PushPoxelCounter(int32_t n);
void PopPoxelCounter();
// Puts the counter back to a value read earlier (after a decode that was abandoned).
void setPoxelCounter(int32_t n);

// Depth of the deepest node below `node` (0 for a leaf), without recursion.
int treeDepth(const TPoxel& node);

} // namespace lw
