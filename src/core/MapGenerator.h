#pragma once
// Maps made by the program itself: the empty map of "New map", the demo map, and generated
// maps of a given size for benchmarks and tests.

#include "core/Poxel.h"

#include <memory>

namespace lw {

// The root of an empty map as "New map" makes it; resets the display-list counter first.
std::unique_ptr<TPoxel> newMapRoot();

// A small map that shows what the format holds: terrain of several sizes with heights, level
// offsets, both texture codes and corner flags, smoothing, nested groups, entities and copies.
std::unique_ptr<TPoxel> makeDemoMap();

// A map of `poxelCount` varied poxels in groups of up to 50, with entities and a share of
// identical copies; the same seed always gives the same map. Names repeat after a thousand
// poxels, as the string table of a map holds at most 64 KiB of names.
std::unique_ptr<TPoxel> makeGeneratedMap(int poxelCount, uint32_t seed = 1);

// A square of `tiles` x `tiles` rolling hills of `side` x `levels` x `side` cells each, laid
// edge to edge: few nodes, many cells, as the largest maps are.
std::unique_ptr<TPoxel> makeTerrainMap(int tiles, int side, int levels);

} // namespace lw
