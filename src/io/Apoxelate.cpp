#include "io/Apoxelate.h"

#include "core/PoxelContentFactory.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <optional>
#include <utility>

namespace lw {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

enum class Axis { X, Y, Z };

// Turn by `angle` degrees about `axis`; (u, v) are the two coordinates that move.
struct Turn {
    float c, s;
    explicit Turn(double angle)
        : c(static_cast<float>(std::cos(angle * kDegree))),
          s(static_cast<float>(std::sin(angle * kDegree))) {}
    TVec3 apply(Axis axis, const TVec3& p) const {
        switch (axis) {
        case Axis::X:
            return {p.X, c * p.Y + s * p.Z, -s * p.Y + c * p.Z};
        case Axis::Y:
            return {c * p.X - s * p.Z, p.Y, s * p.X + c * p.Z};
        case Axis::Z:
        default:
            return {c * p.X + s * p.Y, -s * p.X + c * p.Y, p.Z};
        }
    }
    static std::pair<float, float> uv(Axis axis, const TVec3& p) {
        switch (axis) {
        case Axis::X:
            return {p.Y, p.Z};
        case Axis::Y:
            return {p.X, p.Z};
        case Axis::Z:
        default:
            return {p.X, p.Y};
        }
    }
};

// The angle about `axis` (0..179.5 degrees) that leaves the two other coordinates least
// correlated. The sums are single precision on purpose: the choice between nearly equal
// angles depends on it.
double bestAngle(const std::vector<TVec3>& vertices, Axis axis) {
    const float n = static_cast<float>(vertices.size());
    float bound = 1.0f;
    double best = 0.0;
    float bestMaxU = 0.0f, bestMaxV = 0.0f;
    for (int step = 0; step <= 180; ++step) {
        const double t = step * 0.5;
        const Turn turn(t);
        float su = 0, sv = 0, suv = 0, suu = 0, svv = 0, maxU = 0, maxV = 0;
        for (const TVec3& p : vertices) {
            const auto [u, v] = Turn::uv(axis, turn.apply(axis, p));
            su += u;
            sv += v;
            suv += u * v;
            suu += u * u;
            svv += v * v;
            maxU = std::max(maxU, u);
            maxV = std::max(maxV, v);
        }
        if (step == 0) {
            bestMaxU = maxU;
            bestMaxV = maxV;
        }
        const float denominator = std::sqrt(n * suu - su * su) * std::sqrt(n * svv - sv * sv);
        // A piece without spread in u or v has no correlation to minimise.
        if (!(denominator > 0.0f) || !std::isfinite(denominator))
            continue;
        const float r = std::fabs((n * suv - su * sv) / denominator);
        if (r < bound) {
            bound = r;
            best = t;
            bestMaxU = maxU;
            bestMaxV = maxV;
        }
    }
    return bestMaxU < bestMaxV ? best + 90.0 : best;
}

void turnAll(std::vector<TVec3>& vertices, Axis axis, double angle) {
    const Turn turn(angle);
    for (TVec3& p : vertices)
        p = turn.apply(axis, p);
}

struct Extents {
    float MX = 0, MY = 0, MZ = 0;
};
Extents largestAbs(const std::vector<TVec3>& vertices) {
    Extents e;
    for (const TVec3& v : vertices) {
        e.MX = std::max(e.MX, std::fabs(v.X));
        e.MY = std::max(e.MY, std::fabs(v.Y));
        e.MZ = std::max(e.MZ, std::fabs(v.Z));
    }
    return e;
}

// Vertex pairs that share a face, each once, in ascending (j, k) order.
std::vector<std::pair<uint32_t, uint32_t>> edgePairs(const std::vector<TFace3D>& faces) {
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    pairs.reserve(faces.size() * 3);
    for (const TFace3D& f : faces) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = f[k], b = f[(k + 1) % 3];
            if (a != b)
                pairs.emplace_back(std::min(a, b), std::max(a, b));
        }
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

// A ratio that stays defined for a piece without extent along an axis.
float ratio(float value, float extent) {
    return extent > 0.0f ? value / extent : 0.0f;
}

struct LevelFit {
    const std::vector<TVec3>& v;
    const std::vector<std::pair<uint32_t, uint32_t>>& pairs;
    Extents e;
    int32_t nx, nz;

    // Offsets of level `a` of `levels`.
    void LevelPlaneExtents(int32_t a, int32_t levels, TLayer& high, TLayer& low) const {
        float minX = e.MX / 2, maxX = -e.MX / 2, minZ = e.MZ / 2, maxZ = -e.MZ / 2;
        auto widen = [&](float x, float z) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minZ = std::min(minZ, z);
            maxZ = std::max(maxZ, z);
        };
        if (a == 0 || a == levels - 1) {
            const float h = a == 0 ? -e.MY : e.MY;
            for (const TVec3& p : v)
                if (std::fabs(h - p.Y) < e.MY / 25)
                    widen(p.X, p.Z);
        } else {
            const float h =
                static_cast<float>(a) / static_cast<float>(levels - 1) * 2 * e.MY - e.MY;
            // Normal of the plane through (-MX, h, -MZ), (MX, h, -MZ), (-MX, h, MZ).
            const double ny = -4.0 * double(e.MX) * double(e.MZ);
            for (const auto& [j, k] : pairs) {
                const TVec3& p = v[j];
                const TVec3& q = v[k];
                if ((p.Y > h) == (q.Y > h))
                    continue;
                const double dot = ny * (double(q.Y) - p.Y);
                if (std::fabs(dot) < 1e-8)
                    continue;
                const double t = ny * (double(h) - p.Y) / dot;
                if (t < 0.0 || t > 1.0)
                    continue;
                widen(static_cast<float>(p.X + t * (double(q.X) - p.X)),
                      static_cast<float>(p.Z + t * (double(q.Z) - p.Z)));
            }
        }
        high = {(ratio(maxX, e.MX) - 1) * nx / 2, (ratio(maxZ, e.MZ) - 1) * nz / 2};
        low = {(ratio(minX, e.MX) + 1) * nx / 2, (ratio(minZ, e.MZ) + 1) * nz / 2};
    }
};

std::string baseName(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

PoxelContent newImportContent(const TObj3D& piece) {
    PoxelContent poxel = newPoxelContent(2, 2, 2);
    poxel.Name = piece.Name;
    poxel.Rot = piece.Rot;
    poxel.Pos = piece.Pos;
    ResizePoxel(poxel, piece.Dims[0], piece.Dims[1], piece.Dims[2]);
    poxel.Size = piece.CellSize;
    FillVoxels(poxel, kDefaultCellCode);
    return poxel;
}

PoxelContent importGroupContent(const std::string& fileName) {
    PoxelContent group = newPoxelContent(1, 1, 1);
    group.IsGroup = true;
    FillVoxels(group, 0);
    group.Surface = 0;
    group.Name = baseName(fileName);
    return group;
}

} // namespace

Status checkApoxelOptions(const ApoxelOptions& o) {
    auto bad = [](const std::string& what) {
        return Status(Error{"sBadImportOption", "Bad import option", what});
    };
    if (o.SizeX < 1 || o.SizeX > 30)
        return bad("Poxel Size X must be 1..30");
    if (o.SizeZ < 1 || o.SizeZ > 30)
        return bad("Poxel Size Z must be 1..30");
    if (o.MaxLayers < 2 || o.MaxLayers > 26)
        return bad("Max Layers must be 2..26");
    if (!(o.Quality >= 0.0001 && o.Quality <= 1.0))
        return bad("Quality must be 0.0001..1");
    if (o.VoxDiv && !o.HeightMap)
        return bad("VoxDiv needs the height-map mode");
    return Ok{};
}

TVec3 RotationToEuler(float ax, float ay, float az) {
    const double sx = std::sin(ax * kDegree), cx = std::cos(ax * kDegree);
    const double sy = std::sin(ay * kDegree), cy = std::cos(ay * kDegree);
    const double sz = std::sin(az * kDegree), cz = std::cos(az * kDegree);
    const double p = -std::asin(std::clamp(sx * cy, -1.0, 1.0));
    const double cp = std::cos(p);
    double a, c;
    if (std::fabs(cp) > 0.005) {
        a = std::atan2(-sy / cp, cx * cy / cp);
        c = std::atan2(-(cx * cz + sx * sy * sz) / cp, (sx * sy * cz - cx * sz) / cp);
    } else {
        a = 0.0;
        c = std::atan2(-cy * cz, -cy * sz);
    }
    constexpr double kToDegrees = 57.29577951308232;
    return {static_cast<float>(-a * kToDegrees), static_cast<float>(p * kToDegrees),
            static_cast<float>(-c * kToDegrees)};
}

void FindModelRotation(std::vector<TVec3>& vertices, TVec3& pos, TVec3& rot) {
    for (TVec3& v : vertices)
        v = {v.X - pos.X, v.Y - pos.Y, v.Z - pos.Z};
    double angle[3] = {0, 0, 0}; // x, y, z
    for (Axis axis : {Axis::Z, Axis::Y, Axis::X}) {
        const double a = bestAngle(vertices, axis);
        angle[static_cast<int>(axis)] = a;
        turnAll(vertices, axis, a);
    }
    // The extra quarter turn about z that the rotation's z angle undoes.
    float minY = 0, maxY = 0;
    for (TVec3& v : vertices) {
        v = {v.Y, -v.X, v.Z};
        minY = std::min(minY, v.Y);
        maxY = std::max(maxY, v.Y);
    }
    const float yc = maxY - (maxY - minY) / 2;
    rot = RotationToEuler(static_cast<float>(angle[0]), static_cast<float>(angle[1]),
                          static_cast<float>(angle[2]));
    const double sx = std::sin(rot.X * kDegree), cx = std::cos(rot.X * kDegree);
    const double sy = std::sin(rot.Y * kDegree), cy = std::cos(rot.Y * kDegree);
    const double sz = std::sin(rot.Z * kDegree), cz = std::cos(rot.Z * kDegree);
    for (TVec3& v : vertices)
        v.Y -= yc;
    pos.X += static_cast<float>(sx * yc * sy * cz - cx * yc * sz);
    pos.Y += static_cast<float>(cx * yc * cz + sx * yc * sy * sz);
    pos.Z += static_cast<float>(sx * yc * cy);
}

void FitLevels(TObj3D& object, const ApoxelOptions& options) {
    int32_t levels = options.MaxLayers;
    const auto pairs = edgePairs(object.Faces);
    const LevelFit fit{object.Vertices, pairs, largestAbs(object.Vertices), options.SizeX,
                       options.SizeZ};
    ALayer high, low, keptHigh, keptLow;
    std::array<double, 4> keptSums{};
    bool first = true;
    bool smoothing = options.LayersSmooth;
    while (levels > 1) {
        high.assign(static_cast<size_t>(levels), {});
        low.assign(static_cast<size_t>(levels), {});
        std::array<double, 4> sums{};
        const double rise = 2.0 * fit.e.MY / (levels - 1);
        for (int32_t a = 0; a < levels; ++a) {
            fit.LevelPlaneExtents(a, levels, high[a], low[a]);
            if (a == 0)
                continue;
            const double d[4] = {high[a].X - high[a - 1].X, high[a].Z - high[a - 1].Z,
                                 low[a].X - low[a - 1].X, low[a].Z - low[a - 1].Z};
            for (int side = 0; side < 4; ++side)
                sums[side] += std::sqrt(d[side] * d[side] + rise * rise);
        }
        if (!smoothing) {
            object.LevelMax = std::move(high);
            object.LevelMin = std::move(low);
            object.Dims = {options.SizeX, levels - 1, options.SizeZ};
            return;
        }
        if (!first) {
            bool worse = false;
            for (int side = 0; side < 4; ++side)
                worse = worse || keptSums[side] - sums[side] >= options.Quality;
            if (worse) {
                high = keptHigh;
                low = keptLow;
                break;
            }
        }
        keptHigh = high;
        keptLow = low;
        keptSums = sums;
        first = false;
        --levels;
    }
    // The offsets held are those of levels + 1 planes.
    object.LevelMax = std::move(high);
    object.LevelMin = std::move(low);
    object.Dims = {options.SizeX, levels, options.SizeZ};
}

void FitHeights(const TObj3D& object, PoxelContent& poxel, const ApoxelOptions& options) {
    const double sx = poxel.Size.X, sy = poxel.Size.Y, sz = poxel.Size.Z;
    const int32_t nx = poxel.NX, ny = poxel.NY, nz = poxel.NZ;
    const double bottom = -sy * ny / 2;
    const double top = 100.0 * ny * sy;
    const auto& v = object.Vertices;
    for (int32_t x = 0; x <= nx; ++x) {
        const double px = x * sx - sx * nx / 2;
        for (int32_t z = 0; z <= nz; ++z) {
            const double pz = z * sz - sz * nz / 2;
            double best = 0.0;
            for (const TFace3D& f : object.Faces) {
                const TVec3 &a = v[f[0]], &b = v[f[1]], &c = v[f[2]];
                if ((a.X < px && b.X < px && c.X < px) || (a.X > px && b.X > px && c.X > px) ||
                    (a.Z < pz && b.Z < pz && c.Z < pz) || (a.Z > pz && b.Z > pz && c.Z > pz))
                    continue;
                const double e1[3] = {double(b.X) - a.X, double(b.Y) - a.Y, double(b.Z) - a.Z};
                const double e2[3] = {double(c.X) - a.X, double(c.Y) - a.Y, double(c.Z) - a.Z};
                const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                     e1[0] * e2[1] - e1[1] * e2[0]};
                // The ray is vertical: only the normal's y meets its direction.
                const double dot = n[1] * (top - bottom);
                if (std::fabs(dot) < 1e-8)
                    continue;
                const double t =
                    (n[0] * (a.X - px) + n[1] * (a.Y - bottom) + n[2] * (a.Z - pz)) / dot;
                if (t < 0.0 || t > 1.0)
                    continue;
                const double hy = bottom + t * (top - bottom);
                // Barycentric coordinates of the hit within the face.
                const double w[3] = {px - a.X, hy - a.Y, pz - a.Z};
                auto dot3 = [](const double* p, const double* q) {
                    return p[0] * q[0] + p[1] * q[1] + p[2] * q[2];
                };
                const double d00 = dot3(e1, e1), d01 = dot3(e1, e2), d11 = dot3(e2, e2);
                const double d20 = dot3(w, e1), d21 = dot3(w, e2);
                const double denominator = d00 * d11 - d01 * d01;
                if (denominator == 0.0)
                    continue;
                const double u = (d11 * d20 - d01 * d21) / denominator;
                const double w2 = (d00 * d21 - d01 * d20) / denominator;
                if (u > 0 && w2 > 0 && u + w2 < 1)
                    best = std::max(best, std::fabs(hy - bottom));
            }
            poxel.Heights[x][z] = static_cast<float>(best / sy - ny);
        }
    }
    if (options.VoxDiv) {
        for (int32_t x = 0; x <= nx; ++x) {
            for (int32_t z = 0; z <= nz; ++z) {
                const int32_t i = static_cast<int32_t>(std::lround(-poxel.Heights[x][z]));
                if (x < nx && z < nz)
                    for (int32_t y = ny - 1; y >= std::max(0, ny - i); --y)
                        poxel.Voxels[poxel.cellIndex(x, y, z)] = 0;
                poxel.Heights[x][z] += static_cast<float>(i);
            }
        }
    }
    for (int32_t x = 0; x < nx; ++x)
        for (int32_t z = 0; z < nz; ++z) {
            const auto& h = poxel.Heights;
            if (h[x][z] <= -ny && h[x + 1][z] <= -ny && h[x][z + 1] <= -ny &&
                h[x + 1][z + 1] <= -ny)
                for (int32_t y = 0; y < ny; ++y)
                    poxel.Voxels[poxel.cellIndex(x, y, z)] = 0;
        }
}

std::optional<PoxelContent> apoxelatePiece(const TObj3D& source, const ApoxelOptions& options,
                                           const ImportFeedback& feedback, std::string& note) {
    TObj3D piece = source; // the steps below turn and centre a private copy
    feedback.stage("Apoxelation [" + piece.Name + "]", "Finding Points");
    feedback.progress(0, 0);
    if (piece.Vertices.empty() || piece.Faces.empty()) {
        note = piece.Name + ": no faces";
        return std::nullopt;
    }
    feedback.stage("Apoxelation [" + piece.Name + "]", "Get Position");
    double sum[3] = {0, 0, 0};
    for (const TVec3& v : piece.Vertices) {
        sum[0] += v.X;
        sum[1] += v.Y;
        sum[2] += v.Z;
    }
    const double n = static_cast<double>(piece.Vertices.size());
    piece.Pos = {float(sum[0] / n), float(sum[1] / n), float(sum[2] / n)};

    feedback.stage("Apoxelation [" + piece.Name + "]", "Get Rotation");
    if (options.HeightMap) {
        for (TVec3& v : piece.Vertices)
            v = {v.X - piece.Pos.X, v.Y - piece.Pos.Y, v.Z - piece.Pos.Z};
        piece.Rot = {};
    } else {
        FindModelRotation(piece.Vertices, piece.Pos, piece.Rot);
    }
    const Extents e = largestAbs(piece.Vertices);
    // A flat piece (or a single point) has no box to fill along some axis.
    if (!(e.MX > 0 && e.MY > 0 && e.MZ > 0) || !std::isfinite(e.MX + e.MY + e.MZ)) {
        note = piece.Name + ": no extent along every axis, no poxel";
        return std::nullopt;
    }
    feedback.progress(30, -1);
    if (options.HeightMap) {
        const double q = options.VoxDiv ? options.Quality : 1.0;
        // A piece narrower than one step still gets one column.
        auto cells = [](double count) {
            return std::clamp<int32_t>(static_cast<int32_t>(std::lround(count)), 1, 25);
        };
        const int32_t nx = cells(e.MX / q);
        const int32_t nz = cells(e.MZ / q);
        int32_t ny = 2;
        if (options.VoxDiv)
            ny = cells(e.MY / ((double(e.MX) / nx + double(e.MZ) / nz) / 2) / q);
        piece.Dims = {nx, ny, nz};
        piece.CellSize = {2 * e.MX / nx, 2 * e.MY / ny, 2 * e.MZ / nz};
    } else {
        feedback.stage("Apoxelation [" + piece.Name + "]", "Get Layers");
        FitLevels(piece, options);
        piece.CellSize = {2 * e.MX / piece.Dims[0], 2 * e.MY / piece.Dims[1],
                          2 * e.MZ / piece.Dims[2]};
    }
    if (feedback.cancelled()) {
        note = piece.Name + ": cancelled";
        return std::nullopt;
    }
    PoxelContent poxel = newImportContent(piece);
    if (options.HeightMap) {
        feedback.stage("Apoxelation [" + piece.Name + "]", "Get Height");
        FitHeights(piece, poxel, options);
    } else {
        poxel.LayerLow = piece.LevelMax;
        poxel.LayerHigh = piece.LevelMin;
    }
    poxel.Surface = (poxel.Surface & 0xFFFF0000u) | (options.TopSmooth ? 0x100u : 0u) |
                    (options.SideSmooth ? 1u : 0u);
    feedback.progress(100, 100);
    return poxel;
}

std::unique_ptr<TPoxel> ApoxelateObject(const TObj3D& source, const ApoxelOptions& options,
                                        const ImportFeedback& feedback, std::string& note) {
    auto content = apoxelatePiece(source, options, feedback, note);
    if (!content)
        return nullptr;
    auto poxel = makePoxel();
    poxel->content() = std::move(*content);
    return poxel;
}

DetachedImport apoxelateDetached(const std::string& fileName, const TObjArray3D& objects,
                                 const ApoxelOptions& options, const ImportFeedback& feedback) {
    DetachedImport import;
    import.Group = importGroupContent(fileName);
    for (size_t i = 0; i < objects.size(); ++i) {
        if (feedback.cancelled()) {
            import.Cancelled = true;
            break;
        }
        if (feedback.OnObject)
            feedback.OnObject(i);
        std::string note;
        auto poxel = apoxelatePiece(objects[i], options, feedback, note);
        if (poxel) {
            if (feedback.OnPoxel)
                feedback.OnPoxel(i, *poxel);
            import.Poxels.push_back(std::move(*poxel));
        } else if (feedback.cancelled())
            import.Cancelled = true;
        else
            import.Notes.push_back(std::move(note));
    }
    feedback.stage("Done", "");
    return import;
}

Result<DetachedImport> importModel3dsDetached(const std::string& fileName,
                                              const ApoxelOptions& options,
                                              const ImportFeedback& feedback) {
    if (auto st = checkApoxelOptions(options); !st)
        return st.error();
    // Runs on a worker thread of the editor, where an exception would end the program with the
    // user's work: a model that needs more memory than there is, is a refusal.
    try {
        auto objects = Read3ds(fileName, feedback);
        if (!objects)
            return objects.error();
        if (feedback.OnRead)
            feedback.OnRead(*objects);
        return apoxelateDetached(fileName, *objects, options, feedback);
    } catch (const std::bad_alloc&) {
        return Error{"sOutOfMemory", "Not enough memory",
                     "'" + fileName + "': the import needs more memory than the system gave"};
    }
}

ModelImport buildImportNodes(DetachedImport&& detached) {
    ModelImport import;
    import.Group = makePoxel();
    import.Group->content() = std::move(detached.Group);
    for (PoxelContent& content : detached.Poxels) {
        auto poxel = makePoxel();
        poxel->content() = std::move(content);
        AddChildPoxel(*import.Group, std::move(poxel));
    }
    detached.Poxels.clear();
    import.Notes = std::move(detached.Notes);
    import.Cancelled = detached.Cancelled;
    return import;
}

ModelImport CreateImportGroup(const std::string& fileName) {
    ModelImport import;
    import.Group = makePoxel();
    import.Group->content() = importGroupContent(fileName);
    return import;
}

ModelImport apoxelateObjects(const std::string& fileName, const TObjArray3D& objects,
                             const ApoxelOptions& options, const ImportFeedback& feedback) {
    return buildImportNodes(apoxelateDetached(fileName, objects, options, feedback));
}

Result<ModelImport> importModel3ds(const std::string& fileName, const ApoxelOptions& options,
                                   const ImportFeedback& feedback) {
    auto detached = importModel3dsDetached(fileName, options, feedback);
    if (!detached)
        return detached.error();
    return buildImportNodes(std::move(*detached));
}

} // namespace lw
