#pragma once
// Layouts of the two record types of a map: LandFrameStore (poxels and groups) and
// DetailEntityStore (entities), parsed into checked views.

#include "core/MapLimits.h"
#include "core/Poxel.h"
#include "core/Result.h"
#include "core/Xom.h"

#include <array>

namespace lw {

// Bytes from the end of a record's name to its HighCount byte, and to the child list of a group.
constexpr size_t kHighCountOffset = 112;
constexpr size_t kGroupChildOffset = 132;

// Degrees per radian and radians per degree as the files have always been converted.
constexpr long double kDegPerRad = 57.295779513082320877L;
constexpr long double kRadPerDeg = 0.017453292519943295769L;

struct LandRecordView {
    TVec3 pos;
    TVec3 rotRadians;
    TVec3 size;
    bool isGroup = false; // HighCount 0: no geometry, children 132 bytes after the name
    // Geometry of a poxel record; offsets point into the file image.
    std::array<float, 16> textCoord{};
    int32_t highCount = 0, lowCount = 0;
    size_t highPos = 0, lowPos = 0;
    int32_t nx = 0, ny = 0, nz = 0;
    int32_t heightCount = 0;
    size_t heightsPos = 0;
    uint32_t surface = 0, surface2 = 0, color = 0;
    int32_t voxelCount = 0;
    size_t voxelsPos = 0;
    bool isEmptySingleCell = false;  // one cell whose code is 0: read back as a group
    std::vector<int32_t> entityRefs; // object numbers (1-based)
    std::vector<int32_t> childRefs;
};

struct EntityRecordView {
    TVec3 pos;
    TVec3 rotRadians;
    TVec3 clip;
    TVec3 size;
};

// Parses and checks the land record of entry `index`: every field inside the record, counts
// that agree with the dimensions, references to existing objects of the right store.
Result<LandRecordView> parseLandRecord(const TStrArr& objects, int32_t index);
Result<EntityRecordView> parseEntityRecord(const TStrArr& objects, int32_t index);

} // namespace lw
