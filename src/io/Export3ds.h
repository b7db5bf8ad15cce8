#pragma once
// Writing poxels as a 3DS model: one mesh per poxel in world coordinates (z up), one material
// per texture-and-colour combination, and optionally the textures as TGA files.

#include "core/Poxel.h"
#include "core/Result.h"
#include "io/Model3ds.h"
#include "render/ExportCollector.h"
#include "render/TextureList.h"
#include "textures/ImageFolder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lw {

struct TMesh {
    std::string Name; // at most 10 characters, unique in the file
    const TPoxel* Source = nullptr;
    std::vector<TVec3> Vertices;
    std::vector<TTexCoord> TexCoords; // only with textures
    std::vector<ExportFace> Faces;
    std::vector<std::string> MaterialNames;
    std::vector<std::vector<int32_t>> MaterialFaces;
};

struct TMaterial {
    std::string Name;
    uint32_t Colour = 0;     // red in the low byte
    std::string TextureFile; // empty without textures
};

// What an export with textures needs: the loaded boxes' table, the texture name list it
// indexes and the images to save.
struct ExportTextures {
    const TTextureList* Table = nullptr;
    const std::vector<std::string>* NameList = nullptr;
    const ImageList* Images = nullptr;
};

// Mesh names: cut to 10 characters with blanks as "_"; the next free name by counting up the
// trailing number; a name no earlier mesh of `meshes` has.
std::string MeshBaseName(const std::string& name);
std::string NextMeshName(const std::string& name);
std::string UniqueMeshName(const std::vector<TMesh>& meshes, size_t index, const std::string& name);
// The six hexadecimal digits after the first "#"; the part before it plus ".tga".
uint32_t MaterialColour(const std::string& materialName);
std::string TextureFileName(const std::string& materialName);

// Collects one mesh per poxel of the subtree of `poxel` (groups add their transform only,
// entities are left out), with editor space turned so that y up becomes z up.
Status BuildExportMeshes(std::vector<TMesh>& meshes, const TPoxel& poxel,
                         const ExportTextures* textures, const ImportFeedback& feedback = {});
// The materials of the meshes, merged and sorted ignoring case.
std::vector<TMaterial> collectMaterials(const std::vector<TMesh>& meshes, bool withTextures);
// The file image. Refuses meshes beyond the file's 16-bit counts, naming the poxel.
Result<std::vector<uint8_t>> encode3ds(const std::vector<TMesh>& meshes,
                                       const std::vector<TMaterial>& materials, bool withTextures);

// "Export to 3ds...": `poxel` is the selected node (nullptr when none is selected) or the
// map's root. With textures, every texture used is saved as "NAME.tga" beside the file first;
// a texture without an image (or with one that cannot be decoded) stops the export before any
// file is written. Every file is written atomically.
Status Export3ds(const TPoxel* poxel, const std::string& fileName,
                 const ExportTextures* textures = nullptr, const ImportFeedback& feedback = {});

} // namespace lw
