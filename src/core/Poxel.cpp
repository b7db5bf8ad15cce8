#include "core/Poxel.h"
#include "core/PoxelContentFactory.h"

#include <algorithm>

namespace lw {

namespace {

int32_t g_poxelCounter = 0;
int32_t g_savedPoxelCounter = 0;
int32_t g_nextSerial = 1;
DisplayListReleaseHook g_releaseHook = nullptr;

void sizeArrays(PoxelContent& p) {
    p.LowCount = p.NY + 1;
    p.HighCount = p.NY + 1;
    p.HeightCount = (p.NX + 1) * (p.NZ + 1);
    p.VoxelCount = p.NX * p.NY * p.NZ;
}

// Copies the geometry fields shared by ClonePoxel and CopyPoxelContent.
void copyGeometry(TPoxel& target, const TPoxel& source) {
    target.Size = source.Size;
    target.TextCoord = source.TextCoord;
    target.NX = source.NX;
    target.NY = source.NY;
    target.NZ = source.NZ;
    target.LowCount = source.NY + 1;
    target.HighCount = source.NY + 1;
    target.LayerHigh = source.LayerHigh;
    target.LayerLow = source.LayerLow;
    target.LayerHigh.resize(static_cast<size_t>(source.NY) + 1);
    target.LayerLow.resize(static_cast<size_t>(source.NY) + 1);
    target.HeightCount = source.HeightCount;
    target.Heights = source.Heights;
    target.Surface = source.Surface;
    target.Surface2 = source.Surface2;
    target.Color = source.Color;
    target.VoxelCount = source.VoxelCount;
    target.Voxels = source.Voxels;
}

void copyRotation(TPoxel& target, const TPoxel& source) {
    target.Rot = source.Rot;
    target.FileRotRadians = source.FileRotRadians;
    target.FileRotDegrees = source.FileRotDegrees;
    target.HasFileRot = source.HasFileRot;
}

TArrayPoxel cloneList(const TArrayPoxel& list, ItemSink* view, TreeItem parentItem) {
    TArrayPoxel copies;
    copies.reserve(list.size());
    for (const auto& node : list) {
        auto copy = makePoxel();
        ClonePoxel(*copy, *node, view, parentItem);
        copies.push_back(std::move(copy));
    }
    return copies;
}

void appendList(TArrayPoxel& list, TArrayPoxel&& more) {
    for (auto& node : more)
        list.push_back(std::move(node));
}

void cloneLists(TPoxel& target, const TPoxel& source, ItemSink* view) {
    appendList(target.Entities, cloneList(source.Entities, view, target.Node));
    appendList(target.Children, cloneList(source.Children, view, target.Node));
}

} // namespace

void setDisplayListReleaseHook(DisplayListReleaseHook hook) {
    g_releaseHook = hook;
}

PoxelContent newPoxelContent(int32_t nx, int32_t ny, int32_t nz) {
    PoxelContent c;
    c.NX = std::max(nx, 1);
    c.NY = std::max(ny, 1);
    c.NZ = std::max(nz, 1);
    sizeArrays(c);
    c.TextCoord[0] = 0.25f;
    c.TextCoord[5] = 0.25f;
    c.TextCoord[6] = 0.15f;
    c.TextCoord[8] = -0.2f;
    c.TextCoord[10] = 0.25f;
    c.LayerLow.assign(static_cast<size_t>(c.NY) + 1, TLayer{});
    c.LayerHigh.assign(static_cast<size_t>(c.NY) + 1, TLayer{});
    c.Heights.assign(static_cast<size_t>(c.NX) + 1,
                     std::vector<float>(static_cast<size_t>(c.NZ) + 1));
    c.Voxels.assign(static_cast<size_t>(c.VoxelCount), kDefaultCellCode);
    return c;
}

TPoxel::TPoxel(int32_t nx, int32_t ny, int32_t nz) : Serial(g_nextSerial++) {
    content() = newPoxelContent(nx, ny, nz);
    ListId = kListBase + g_poxelCounter;
    ++g_poxelCounter;
}

TPoxel::~TPoxel() {
    // Tear the subtree down without recursion so that deep chains cannot exhaust the stack.
    std::vector<std::unique_ptr<TPoxel>> pending;
    auto takeLists = [&pending](TPoxel& p) {
        for (auto& c : p.Children)
            pending.push_back(std::move(c));
        for (auto& e : p.Entities)
            pending.push_back(std::move(e));
        p.Children.clear();
        p.Entities.clear();
    };
    takeLists(*this);
    while (!pending.empty()) {
        std::unique_ptr<TPoxel> p = std::move(pending.back());
        pending.pop_back();
        takeLists(*p);
        // p is destroyed here with empty lists; its own destructor releases its GPU mesh.
    }
    if (g_releaseHook && ListsBuilt)
        g_releaseHook(*this);
}

int TPoxel::treeImage() const {
    if (IsRoot)
        return ImageRoot;
    if (IsEntity)
        return ImageEntity;
    return IsGroup ? ImageGroup : ImagePoxel;
}

std::unique_ptr<TPoxel> makePoxel(int32_t nx, int32_t ny, int32_t nz) {
    return std::make_unique<TPoxel>(nx, ny, nz);
}

void ResizePoxel(PoxelContent& poxel, int32_t nx, int32_t ny, int32_t nz) {
    nx = std::max(nx, 1);
    ny = std::max(ny, 1);
    nz = std::max(nz, 1);
    poxel.NX = nx;
    poxel.NY = ny;
    poxel.NZ = nz;
    sizeArrays(poxel);
    poxel.LayerLow.resize(static_cast<size_t>(ny) + 1);
    poxel.LayerHigh.resize(static_cast<size_t>(ny) + 1);
    // Columns that exist in both sizes keep their heights.
    poxel.Heights.resize(static_cast<size_t>(nx) + 1);
    for (auto& column : poxel.Heights)
        column.resize(static_cast<size_t>(nz) + 1, 0.0f);
    // Cells keep their array order, not their coordinates.
    poxel.Voxels.resize(static_cast<size_t>(poxel.VoxelCount), 0u);
}

void FillVoxels(PoxelContent& poxel, uint32_t code) {
    std::fill(poxel.Voxels.begin(), poxel.Voxels.end(), code);
}

TPoxel* AddChildPoxel(TPoxel& parent, std::unique_ptr<TPoxel> node) {
    parent.Children.push_back(std::move(node));
    return parent.Children.back().get();
}

TPoxel* AddEntity(TPoxel& parent, std::unique_ptr<TPoxel> node) {
    parent.Entities.push_back(std::move(node));
    return parent.Entities.back().get();
}

bool RemovePoxel(TPoxel& parent, TPoxel* node) {
    if (!node)
        return false;
    TArrayPoxel& list = node->IsEntity ? parent.Entities : parent.Children;
    auto it = std::find_if(list.begin(), list.end(),
                           [node](const std::unique_ptr<TPoxel>& p) { return p.get() == node; });
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

void CountPoxels(const TPoxel& node, int64_t& cells, int64_t& nodes) {
    std::vector<const TPoxel*> stack{&node};
    while (!stack.empty()) {
        const TPoxel* p = stack.back();
        stack.pop_back();
        cells += static_cast<int64_t>(p->NX) * p->NY * p->NZ;
        nodes += 1;
        for (const auto& c : p->Children)
            stack.push_back(c.get());
    }
}

void ClonePoxel(TPoxel& target, const TPoxel& source, ItemSink* view, TreeItem parentItem) {
    target.Name = source.Name;
    if (source.IsEntity) {
        if (view)
            target.Node = view->addItem(parentItem, target.Name, ImageEntity, &target, -1);
        target.LibName = source.LibName;
        target.IsEntity = true;
        target.Pos = source.Pos;
        copyRotation(target, source);
        target.Clip = source.Clip;
        target.Size = source.Size;
        return;
    }
    target.IsGroup = source.IsGroup;
    if (view)
        target.Node = view->addItem(parentItem, target.Name,
                                    source.IsGroup ? ImageGroup : ImagePoxel, &target, -1);
    target.Pos = source.Pos;
    copyRotation(target, source);
    copyGeometry(target, source);
    cloneLists(target, source, view);
}

void CopyPoxelContent(TPoxel& target, const TPoxel& source, ItemSink* view) {
    if (source.IsEntity) {
        target.Name = source.Name;
        if (view && target.Node)
            view->updateItem(target.Node, target.Name, ImageEntity, &target);
        target.LibName = source.LibName;
        target.IsEntity = true;
        target.Size = source.Size;
        return;
    }
    // The source may be the target itself or one of its ancestors: its lists are copied before
    // the target changes, so they are never read while they grow or after they were changed.
    // The copies get their tree items once the target's own item shows its new content.
    TArrayPoxel entities = cloneList(source.Entities, nullptr, nullptr);
    TArrayPoxel children = cloneList(source.Children, nullptr, nullptr);
    target.Name = source.Name;
    target.IsGroup = source.IsGroup;
    if (view && target.Node)
        view->updateItem(target.Node, target.Name, source.IsGroup ? ImageGroup : ImagePoxel,
                         &target);
    copyGeometry(target, source);
    for (auto* list : {&entities, &children})
        if (view)
            for (auto& copy : *list)
                addTreeItems(*copy, *view, target.Node);
    appendList(target.Entities, std::move(entities));
    appendList(target.Children, std::move(children));
}

void addTreeItems(TPoxel& node, ItemSink& view, TreeItem parentItem) {
    struct Pending {
        TPoxel* node;
        TreeItem parent;
    };
    std::vector<Pending> stack{{&node, parentItem}};
    while (!stack.empty()) {
        Pending p = stack.back();
        stack.pop_back();
        p.node->Node = view.addItem(p.parent, p.node->Name, p.node->treeImage(), p.node, -1);
        // Pushed in reverse so that items are added in list order, entities first.
        for (auto it = p.node->Children.rbegin(); it != p.node->Children.rend(); ++it)
            stack.push_back({it->get(), p.node->Node});
        for (auto it = p.node->Entities.rbegin(); it != p.node->Entities.rend(); ++it)
            stack.push_back({it->get(), p.node->Node});
    }
}

int32_t PoxelCounter() {
    return g_poxelCounter;
}
void ResetPoxelCounter() {
    g_poxelCounter = 0;
}
void PushPoxelCounter(int32_t n) {
    g_savedPoxelCounter = g_poxelCounter;
    g_poxelCounter = n;
}
void PopPoxelCounter() {
    g_poxelCounter = g_savedPoxelCounter;
}
void setPoxelCounter(int32_t n) {
    g_poxelCounter = n;
}

int treeDepth(const TPoxel& node) {
    int deepest = 0;
    std::vector<std::pair<const TPoxel*, int>> stack{{&node, 0}};
    while (!stack.empty()) {
        auto [p, d] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, d);
        for (const auto& c : p->Children)
            stack.push_back({c.get(), d + 1});
        for (const auto& e : p->Entities)
            stack.push_back({e.get(), d + 1});
    }
    return deepest;
}

} // namespace lw
