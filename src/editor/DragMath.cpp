#include "editor/DragMath.h"

#include "editor/Brushes.h"
#include "editor/MapDocument.h"
#include "ui/Language.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lw {

namespace {

DVec3 normalised(const DVec3& v) {
    const double len = std::sqrt(dot(v, v));
    return len > 0 ? (1.0 / len) * v : v;
}

Mat4 scaledBy(const Mat4& m, double x, double y, double z) {
    Mat4 s = identityMatrix();
    s[0] = x;
    s[5] = y;
    s[10] = z;
    return multiply(m, s);
}

Mat4 rotatedZYX(const Mat4& m, double z, double y, double x) {
    return multiply(multiply(multiply(m, rotation(z, 2)), rotation(y, 1)), rotation(x, 0));
}

// The parent's axes at the node's origin.
Mat4 moveFrame(const NodeFrames& f) {
    return withTranslationOf(f.Parent, f.Own);
}

// The frame a step's plane hit is computed in and the restriction code of its plane; nothing
// for a rotation about no single axis.
struct HitPlane {
    Mat4 Frame;
    int T = 0;
};

std::optional<HitPlane> hitPlaneOf(const ObjectDrag& d) {
    switch (d.Kind) {
    case DragKind::Move: {
        Mat4 frame = d.LayersMode ? d.Frames.Own : moveFrame(d.Frames);
        // An entity's Pos counts in its owner's scaled lattice.
        if (d.IsEntity)
            frame = scaledBy(frame, d.OwnerSize.X, d.OwnerSize.Y, d.OwnerSize.Z);
        return HitPlane{frame, d.Restriction};
    }
    case DragKind::Rotate:
        switch (d.Restriction) {
        case RestrictX:
            return HitPlane{d.Frames.Own, RestrictYZ};
        case RestrictY: {
            Mat4 f = multiply(moveFrame(d.Frames), rotation(d.RotAtStart.Z, 2));
            return HitPlane{multiply(f, rotation(d.RotAtStart.Y, 1)), RestrictZX};
        }
        case RestrictZ:
            return HitPlane{multiply(moveFrame(d.Frames), rotation(d.RotAtStart.Z, 2)), RestrictXY};
        default:
            return std::nullopt;
        }
    case DragKind::Scale:
        return HitPlane{d.Frames.Own, d.Restriction};
    }
    return std::nullopt;
}

// Factors per restriction as the poxel is drawn scaled: the unrestricted axes stay 1.
DVec3 drawnScale(const ObjectDrag& d) {
    const DVec3& f = d.ScaleFactor;
    switch (d.Restriction) {
    case RestrictX:
        return {f.X, 1, 1};
    case RestrictY:
        return {1, f.Y, 1};
    case RestrictZ:
        return {1, 1, f.Z};
    case RestrictXY:
        return {f.X, f.Y, 1};
    case RestrictYZ:
        return {1, f.Y, f.Z};
    case RestrictZX:
        return {f.X, 1, f.Z};
    default:
        return {f.X, f.X, f.X}; // uniform: all three hold the same factor
    }
}

QString dragText(DragKind kind) {
    switch (kind) {
    case DragKind::Move:
        return langText("[sMove]");
    case DragKind::Rotate:
        return langText("[sRotate]");
    case DragKind::Scale:
        return langText("[sScale]");
    }
    return {};
}

// Every node below `top` in depth-first order: the entities of each node, then its children
// with theirs.
void collectBelow(TPoxel& top, std::vector<TPoxel*>& out) {
    for (auto& e : top.Entities)
        out.push_back(e.get());
    for (auto& c : top.Children) {
        out.push_back(c.get());
        collectBelow(*c, out);
    }
}

} // namespace

DragView dragViewOf(const TCamera& camera) {
    return {cameraProjection(camera), cameraViewport(camera)};
}

DVec3 DragPlaneHit(const Mat4& frame, const DragView& view, double px, double py, int t,
                   bool* valid) {
    if (valid)
        *valid = false;
    const Mat4& P = view.Projection;
    const Viewport& V = view.View;
    DVec3 a, b;
    if (t <= RestrictZ || t == RestrictXYZ) {
        // Two screen directions at the frame's origin: up and right by ten pixels.
        const auto w = projectPoint({0, 0, 0}, frame, P, V);
        if (!w)
            return {};
        const auto up = unProjectPoint({w->X, w->Y + 10, w->Z}, frame, P, V);
        const auto right = unProjectPoint({w->X + 10, w->Y, w->Z}, frame, P, V);
        if (!up || !right)
            return {};
        const DVec3 g = t == RestrictXYZ ? *up : 0.5 * (*up + *right);
        switch (t) {
        case RestrictX:
            a = g, b = {1, 0, 0};
            break;
        case RestrictY:
            a = g, b = {0, 1, 0};
            break;
        case RestrictZ:
            a = g, b = {0, 0, 1};
            break;
        default:
            a = *right, b = *up;
            break;
        }
    } else if (t == RestrictXY) {
        a = {0, 1, 0}, b = {1, 0, 0};
    } else if (t == RestrictYZ) {
        a = {0, 0, 1}, b = {0, 1, 0};
    } else if (t == RestrictZX) {
        a = {0, 0, 1}, b = {1, 0, 0};
    } else {
        return {};
    }
    const DVec3 n = normalised(cross(b, a));
    const auto nearPoint = unProjectPoint({px, py, 0}, frame, P, V);
    const auto farPoint = unProjectPoint({px, py, 1}, frame, P, V);
    if (!nearPoint || !farPoint)
        return {};
    const DVec3 ray = *farPoint - *nearPoint;
    const double d = dot(ray, n);
    if (std::fabs(d) < 1e-8)
        return {};
    const double s = -dot(*nearPoint, n) / d;
    if (!(s >= 0 && s <= 1))
        return {};
    DVec3 hit = *nearPoint + s * ray;
    if (t == RestrictX)
        hit = {hit.X, 0, 0};
    else if (t == RestrictY)
        hit = {0, hit.Y, 0};
    else if (t == RestrictZ)
        hit = {0, 0, hit.Z};
    if (valid)
        *valid = true;
    return hit;
}

float PlaneAngle(double startP, double startQ, double currentP, double currentQ) {
    auto theta = [](double p, double q) {
        double a = std::atan(q / p);
        if (p < 0)
            a += std::numbers::pi;
        return a;
    };
    return static_cast<float>((theta(startP, startQ) - theta(currentP, currentQ)) * 180.0 /
                              std::numbers::pi);
}

std::optional<NodeFrames> nodeFrames(const TPoxel& root, const TPoxel& node, bool kestrelEmitters) {
    struct Visit {
        const TPoxel* n;
        const TPoxel* owner;
        const TPoxel* treeParent;
        Mat4 parent;
    };
    std::vector<Visit> pending{{&root, nullptr, nullptr, identityMatrix()}};
    while (!pending.empty()) {
        const Visit v = pending.back();
        pending.pop_back();
        const Mat4 own = placeNode(v.parent, *v.n, v.owner, kestrelEmitters);
        if (v.n == &node)
            return NodeFrames{v.parent, own, v.owner, v.treeParent};
        for (const auto& e : v.n->Entities)
            pending.push_back({e.get(), v.n, v.n, own});
        for (const auto& c : v.n->Children)
            pending.push_back({c.get(), nullptr, v.n, own});
    }
    return std::nullopt;
}

LayerSnapshot SnapshotLayers(const PoxelContent& poxel) {
    return {poxel.LayerLow, poxel.LayerHigh};
}

void DragLayers(PoxelContent& poxel, const LayerSnapshot& snapshot, const TLPickArray& picks,
                double dx, double dz, int q) {
    const size_t levels =
        std::min({static_cast<size_t>(std::max(poxel.NY, 0)) + 1, poxel.LayerLow.size(),
                  poxel.LayerHigh.size(), snapshot.Low.size(), snapshot.High.size()});
    for (size_t i = 0; i < levels; ++i) {
        const auto level = static_cast<int32_t>(i);
        const double w1 = LayerWeight(1, level, picks);
        const double w2 = LayerWeight(2, level, picks);
        const double w3 = LayerWeight(3, level, picks);
        const double w4 = LayerWeight(4, level, picks);
        poxel.LayerHigh[i].X =
            static_cast<float>(std::max(w1, w4) / 100 * dx * q + snapshot.High[i].X);
        poxel.LayerHigh[i].Z =
            static_cast<float>(std::max(w1, w2) / 100 * dz * q + snapshot.High[i].Z);
        poxel.LayerLow[i].X = static_cast<float>(std::max(w2, w3) / 100 * dx + snapshot.Low[i].X);
        poxel.LayerLow[i].Z = static_cast<float>(std::max(w3, w4) / 100 * dz + snapshot.Low[i].Z);
    }
}

void beginDrag(ObjectDrag& drag, DragKind kind, int restriction, bool layersMode,
               const TPoxel& node, const NodeFrames& frames, const DragView& view, double px,
               double py) {
    drag = ObjectDrag{};
    drag.Active = true;
    drag.Kind = kind;
    drag.Restriction = restriction;
    drag.LayersMode = layersMode && kind != DragKind::Rotate;
    drag.ListId = node.ListId;
    drag.Frames = frames;
    drag.PosAtStart = node.Pos;
    drag.RotAtStart = node.Rot;
    drag.SizeAtStart = node.Size;
    drag.IsEntity = node.IsEntity;
    if (node.IsEntity && frames.Owner)
        drag.OwnerSize = frames.Owner->Size;
    if (drag.LayersMode)
        drag.Layers = SnapshotLayers(node);
    if (const auto plane = hitPlaneOf(drag)) {
        bool valid = false;
        const DVec3 hit = DragPlaneHit(plane->Frame, view, px, py, plane->T, &valid);
        if (valid) {
            drag.DragStart = drag.DragHit = hit;
            drag.HaveStart = true;
        }
    }
}

DragPreview DragStep(ObjectDrag& drag, const DragView& view, double px, double py, bool ctrl,
                     bool shift) {
    drag.DragCtrl = ctrl;
    drag.DragShift = shift;
    drag.Stepped = true;
    if (const auto plane = hitPlaneOf(drag)) {
        bool valid = false;
        const DVec3 hit = DragPlaneHit(plane->Frame, view, px, py, plane->T, &valid);
        // A ray that misses the plane keeps the last hit: the node stays where it was shown.
        if (valid) {
            drag.DragHit = hit;
            if (!drag.HaveStart) {
                drag.DragStart = hit;
                drag.HaveStart = true;
            }
        }
    }
    const DVec3 delta = drag.DragHit - drag.DragStart;
    switch (drag.Kind) {
    case DragKind::Move:
        drag.MoveDelta = delta;
        drag.CopyPreview = ctrl && !drag.LayersMode;
        break;
    case DragKind::Rotate: {
        const DVec3& s = drag.DragStart;
        const DVec3& h = drag.DragHit;
        float* component = nullptr;
        double p0 = 0, q0 = 0, p1 = 0, q1 = 0;
        if (drag.Restriction == RestrictX) {
            p0 = s.Z, q0 = s.Y, p1 = h.Z, q1 = h.Y;
            component = &drag.RotateDelta.X;
        } else if (drag.Restriction == RestrictY) {
            p0 = s.X, q0 = s.Z, p1 = h.X, q1 = h.Z;
            component = &drag.RotateDelta.Y;
        } else if (drag.Restriction == RestrictZ) {
            p0 = s.Y, q0 = s.X, p1 = h.Y, q1 = h.X;
            component = &drag.RotateDelta.Z;
        }
        // A hit on the axis itself (or next to it, within rounding) has no angle: the last
        // one stays.
        constexpr double kOnAxis = 1e-12;
        const bool defined = p0 * p0 + q0 * q0 > kOnAxis && p1 * p1 + q1 * q1 > kOnAxis;
        const float angle = PlaneAngle(p0, q0, p1, q1);
        if (component && defined && std::isfinite(angle))
            *component = angle;
        break;
    }
    case DragKind::Scale: {
        DVec3 f{std::max(delta.X + 1, 0.0), std::max(delta.Y + 1, 0.0), std::max(delta.Z + 1, 0.0)};
        if (shift) {
            if (drag.Restriction == RestrictXY)
                f.X = f.Y = std::max(f.X, f.Y);
            else if (drag.Restriction == RestrictYZ)
                f.Y = f.Z = std::max(f.Y, f.Z);
            else if (drag.Restriction == RestrictZX)
                f.X = f.Z = std::max(f.X, f.Z);
        }
        if (drag.Restriction == RestrictXYZ)
            f.X = f.Y = f.Z = std::max(f.X, f.Z);
        drag.ScaleFactor = f;
        drag.ScaleChildren = drag.Restriction == RestrictXYZ && ctrl && !drag.LayersMode;
        break;
    }
    }
    return dragPreview(drag);
}

Mat4 gizmoFrame(DragKind kind, bool layersMode, const NodeFrames& frames) {
    if (kind == DragKind::Move && !layersMode)
        return moveFrame(frames);
    return frames.Own;
}

DragPreview dragPreview(const ObjectDrag& drag) {
    DragPreview p;
    p.Active = drag.Active;
    p.ListId = drag.ListId;
    const Mat4& own = drag.Frames.Own;
    p.Draw = p.Children = own;
    p.Gizmo = gizmoFrame(drag.Kind, drag.LayersMode, drag.Frames);
    p.GizmoRot = drag.RotAtStart;
    switch (drag.Kind) {
    case DragKind::Move: {
        const auto plane = hitPlaneOf(drag);
        const DVec3 to = transformPoint(plane->Frame, drag.MoveDelta);
        Mat4 moved = p.Gizmo;
        moved[12] = to.X;
        moved[13] = to.Y;
        moved[14] = to.Z;
        p.Gizmo = moved;
        if (drag.LayersMode)
            break; // the corners move, the node stays
        if (drag.CopyPreview) {
            p.CopyPreview = true;
            p.Copy = withTranslationOf(own, moved);
        } else {
            p.Draw = p.Children = withTranslationOf(own, moved);
        }
        break;
    }
    case DragKind::Rotate: {
        const TVec3 r{drag.RotAtStart.X + drag.RotateDelta.X,
                      drag.RotAtStart.Y + drag.RotateDelta.Y,
                      drag.RotAtStart.Z + drag.RotateDelta.Z};
        p.Draw = p.Children = p.Gizmo = rotatedZYX(moveFrame(drag.Frames), r.Z, r.Y, r.X);
        p.GizmoRot = r;
        if (const auto plane = hitPlaneOf(drag); plane && drag.HaveStart) {
            p.Lines = true;
            p.LineFrame = plane->Frame;
            p.LineStart = drag.DragStart;
            p.LineHit = drag.DragHit;
        }
        break;
    }
    case DragKind::Scale: {
        if (drag.LayersMode)
            break;
        const DVec3 k = drawnScale(drag);
        p.Draw = scaledBy(own, k.X, k.Y, k.Z);
        p.Children = drag.ScaleChildren ? p.Draw : own;
        break;
    }
    }
    return p;
}

void applyLayerStep(const ObjectDrag& drag, const TLPickArray& picks, PoxelContent& poxel) {
    if (!drag.LayersMode)
        return;
    if (drag.Kind == DragKind::Move)
        DragLayers(poxel, drag.Layers, picks, drag.MoveDelta.X, drag.MoveDelta.Z, +1);
    else if (drag.Kind == DragKind::Scale)
        DragLayers(poxel, drag.Layers, picks, drag.ScaleFactor.X - 1, drag.ScaleFactor.Z - 1, -1);
}

PoxelContent draggedContent(const ObjectDrag& drag, const PoxelContent& node) {
    PoxelContent c = node;
    switch (drag.Kind) {
    case DragKind::Move:
        c.Pos = {c.Pos.X + static_cast<float>(drag.MoveDelta.X),
                 c.Pos.Y + static_cast<float>(drag.MoveDelta.Y),
                 c.Pos.Z + static_cast<float>(drag.MoveDelta.Z)};
        break;
    case DragKind::Rotate:
        c.Rot = {c.Rot.X + drag.RotateDelta.X, c.Rot.Y + drag.RotateDelta.Y,
                 c.Rot.Z + drag.RotateDelta.Z};
        break;
    case DragKind::Scale:
        c.Size = {c.Size.X * static_cast<float>(drag.ScaleFactor.X),
                  c.Size.Y * static_cast<float>(drag.ScaleFactor.Y),
                  c.Size.Z * static_cast<float>(drag.ScaleFactor.Z)};
        break;
    }
    return c;
}

TPoxel* ApplyDrag(MapDocument& doc, TPoxel& node, const ObjectDrag& drag) {
    if (!drag.Active || !drag.Stepped || node.ListId != drag.ListId || !doc.contains(node))
        return nullptr;
    const QString text = drag.LayersMode ? brushStepText(BrushKind::Layers) : dragText(drag.Kind);
    if (drag.LayersMode) {
        // The corners moved live while dragging; the step goes from the snapshot to them.
        const ALayer low = node.LayerLow;
        const ALayer high = node.LayerHigh;
        node.LayerLow = drag.Layers.Low;
        node.LayerHigh = drag.Layers.High;
        const bool changed = doc.editNode(node, text, NodeChange::Geometry, [&](PoxelContent& c) {
            c.LayerLow = low;
            c.LayerHigh = high;
        });
        return changed ? &node : nullptr;
    }
    const PoxelContent after = draggedContent(drag, node.content());
    if (drag.Kind == DragKind::Move && drag.DragCtrl) {
        // The copy is made on release only, and only for a real movement.
        if (after.Pos == node.Pos)
            return nullptr;
        const NodePlace place = doc.placeOf(node);
        if (!place)
            return nullptr;
        auto copy = makePoxel();
        ClonePoxel(*copy, node, nullptr, nullptr);
        doc.beginStep(text);
        TPoxel* added = doc.insertNode(*place.parent, std::move(copy), text);
        doc.editNode(*added, text, NodeChange::Transform,
                     [&](PoxelContent& c) { c.Pos = after.Pos; });
        doc.endStep();
        return added;
    }
    if (drag.Kind == DragKind::Scale && drag.ScaleChildren) {
        const auto u = static_cast<float>(drag.ScaleFactor.X);
        std::vector<TPoxel*> below;
        collectBelow(node, below);
        if (after == node.content() && (u == 1.0f || below.empty()))
            return nullptr;
        doc.beginStep(text);
        for (TPoxel* n : below)
            doc.editNode(*n, text, NodeChange::Transform, [&](PoxelContent& c) {
                c.Size = {c.Size.X * u, c.Size.Y * u, c.Size.Z * u};
                // An entity sits in its owner's scaled lattice: it follows the owner's Size.
                if (!c.IsEntity)
                    c.Pos = {c.Pos.X * u, c.Pos.Y * u, c.Pos.Z * u};
            });
        doc.editNode(node, text, NodeChange::Transform,
                     [&](PoxelContent& c) { c.Size = after.Size; });
        doc.endStep();
        return &node;
    }
    const bool changed = doc.editNode(node, text, NodeChange::Transform, [&](PoxelContent& c) {
        c.Pos = after.Pos;
        c.Rot = after.Rot;
        c.Size = after.Size;
    });
    return changed ? &node : nullptr;
}

} // namespace lw
