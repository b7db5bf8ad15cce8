#include "render/SubtreeBoxes.h"

#include "render/ViewMath.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lw {

namespace {

void grow(SubtreeBoxes::Box& b, const TVec3& lo, const TVec3& hi) {
    if (!b.Any) {
        b.Any = true;
        b.Lo = lo;
        b.Hi = hi;
        return;
    }
    b.Lo = {std::min(b.Lo.X, lo.X), std::min(b.Lo.Y, lo.Y), std::min(b.Lo.Z, lo.Z)};
    b.Hi = {std::max(b.Hi.X, hi.X), std::max(b.Hi.Y, hi.Y), std::max(b.Hi.Z, hi.Z)};
}

bool sameVec(const TVec3& a, const TVec3& b) {
    return a.X == b.X && a.Y == b.Y && a.Z == b.Z;
}

} // namespace

void SubtreeBoxes::refresh(const TPoxel& root, int32_t selectedId) {
    ++stamp_;
    // Entries of nodes that are gone are dropped now and then.
    if (stamp_ % 256 == 0)
        std::erase_if(entries_, [this](const auto& e) { return e.second.stamp + 256 < stamp_; });
    visit(root, selectedId);
}

const SubtreeBoxes::Box* SubtreeBoxes::find(const TPoxel& node) const {
    const auto it = entries_.find(&node);
    return it != entries_.end() && it->second.stamp == stamp_ ? &it->second.own : nullptr;
}

const SubtreeBoxes::Entry& SubtreeBoxes::visit(const TPoxel& node, int32_t selectedId) {
    Box own;
    own.HoldsSelected = selectedId != 0 && node.ListId == selectedId;
    const bool meshed = node.ListsBuilt && !node.IsGroup && !node.IsEntity;
    if (meshed)
        grow(
            own,
            {node.BoxMin.X * node.Size.X, node.BoxMin.Y * node.Size.Y, node.BoxMin.Z * node.Size.Z},
            {node.BoxMax.X * node.Size.X, node.BoxMax.Y * node.Size.Y,
             node.BoxMax.Z * node.Size.Z});
    for (const auto& child : node.Children) {
        const Entry& c = visit(*child, selectedId);
        own.HoldsSelected = own.HoldsSelected || c.own.HoldsSelected;
        if (c.placedAny)
            grow(own, c.placedLo, c.placedHi);
    }
    // Scaled boxes can come out inverted for a negative size.
    if (own.Any)
        for (float TVec3::*axis : {&TVec3::X, &TVec3::Y, &TVec3::Z})
            if (own.Lo.*axis > own.Hi.*axis)
                std::swap(own.Lo.*axis, own.Hi.*axis);

    Entry& e = entries_[&node];
    const bool same = e.stamp != 0 && e.meshed == meshed && sameVec(e.pos, node.Pos) &&
                      sameVec(e.rot, node.Rot) && sameVec(e.size, node.Size) &&
                      sameVec(e.boxMin, node.BoxMin) && sameVec(e.boxMax, node.BoxMax) &&
                      e.own.Any == own.Any &&
                      (!own.Any || (sameVec(e.own.Lo, own.Lo) && sameVec(e.own.Hi, own.Hi)));
    e.stamp = stamp_;
    e.own = own;
    if (same)
        return e;
    e.pos = node.Pos;
    e.rot = node.Rot;
    e.size = node.Size;
    e.boxMin = node.BoxMin;
    e.boxMax = node.BoxMax;
    e.meshed = meshed;
    e.placedAny = own.Any;
    if (own.Any) {
        // The eight corners placed in the parent's frame, and their box.
        const Mat4 local = placeNode(identityMatrix(), node, nullptr, false);
        for (int corner = 0; corner < 8; ++corner) {
            const TVec3 p = transformPoint(local, TVec3{(corner & 1) ? own.Hi.X : own.Lo.X,
                                                        (corner & 2) ? own.Hi.Y : own.Lo.Y,
                                                        (corner & 4) ? own.Hi.Z : own.Lo.Z});
            if (corner == 0) {
                e.placedLo = e.placedHi = p;
                continue;
            }
            e.placedLo = {std::min(e.placedLo.X, p.X), std::min(e.placedLo.Y, p.Y),
                          std::min(e.placedLo.Z, p.Z)};
            e.placedHi = {std::max(e.placedHi.X, p.X), std::max(e.placedHi.Y, p.Y),
                          std::max(e.placedHi.Z, p.Z)};
        }
        // Single-precision corners: a little room keeps the box around what is drawn.
        const float pad =
            1e-5f * (1.0f + std::max({std::fabs(e.placedLo.X), std::fabs(e.placedLo.Y),
                                      std::fabs(e.placedLo.Z), std::fabs(e.placedHi.X),
                                      std::fabs(e.placedHi.Y), std::fabs(e.placedHi.Z)}));
        e.placedLo = {e.placedLo.X - pad, e.placedLo.Y - pad, e.placedLo.Z - pad};
        e.placedHi = {e.placedHi.X + pad, e.placedHi.Y + pad, e.placedHi.Z + pad};
    }
    return e;
}

} // namespace lw
