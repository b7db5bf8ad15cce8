#pragma once
// Voxel block files (.vox): a poxel's first texture codes, one byte per cell.
//
// Layout (little-endian): NX, NY, NZ as 32-bit integers; NX·NY·NZ cell bytes with x outermost
// and z innermost (255 = empty, b = texture box b + 1, code 4·b + 3); a 768-byte palette that
// is written but never read.

#include "core/Poxel.h"
#include "core/Result.h"

#include <string>
#include <vector>

namespace lw {

constexpr size_t kVoxHeaderSize = 12;
constexpr size_t kVoxPaletteSize = 768;

// The name the file dialogs offer: "%s_%dx%dx%d.vox" of Name, NX, NY, NZ.
std::string voxFileName(const PoxelContent& poxel);

std::vector<uint8_t> encodeVox(const PoxelContent& poxel);
// "Export *.vox": written under `fileName` unchanged.
Status writeVoxFile(const PoxelContent& poxel, const std::string& fileName);

// Sets bits 0-7 of every cell from the file and keeps bits 8-31. The whole file is checked
// first: sizes other than the poxel's ("Bad Size (...)") and files shorter than their sizes
// announce are refused and leave every cell as it was.
Status decodeVoxInto(PoxelContent& poxel, const std::vector<uint8_t>& bytes);
// "Import *.vox": a missing file gives "Bad File Name".
Status readVoxFile(PoxelContent& poxel, const std::string& fileName);

} // namespace lw
