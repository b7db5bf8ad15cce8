#pragma once
// "Load Textures" on the OpenGL side: the images of a texture list uploaded as mipmapped
// textures of the current context, and the table the mesh builder binds from.
//
// Positions and texture objects: a name's position in the TextureNameList is what the table of
// the list (TTextureList) holds and what the 3DS export reads; the texture objects themselves
// are names from glGenTextures, so they never collide with textures of the window toolkit in a
// shared context. bindingTable() turns positions into those names for the mesh builder.

#include "core/Result.h"
#include "render/TextureList.h"
#include "textures/ImageFolder.h"
#include "textures/TextureBoxes.h"

#include <GL/gl.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lw::gl {

// The texture names of the two heightmap swatches.
constexpr GLuint kHeightmapTexture1 = 1000;
constexpr GLuint kHeightmapTexture2 = 1001;

// The texture objects of one load, position k of the name list = name(k). Owned by the caller,
// who releases them with the context current (or forgets them with the context).
class TextureSet {
public:
    TextureSet() = default;
    TextureSet(TextureSet&& other) noexcept;
    TextureSet& operator=(TextureSet&& other) noexcept;
    TextureSet(const TextureSet&) = delete;
    TextureSet& operator=(const TextureSet&) = delete;

    size_t size() const { return names_.size(); }
    bool empty() const { return names_.empty(); }
    // The texture object of position k; 0 (no texture) beyond the last.
    GLuint name(size_t position) const { return position < names_.size() ? names_[position] : 0; }
    // Adds `count` new texture objects; never one of the names with a meaning of their own
    // (kNoEdgeTexture, the heightmap swatches).
    void generate(size_t count);
    // Deletes the texture objects. Needs the context they were made in.
    void release();
    // The context is gone and the objects with it.
    void forget();

    // `positions` with every entry turned into its texture object; the edge entry keeps
    // kNoEdgeTexture.
    TTextureList bindingTable(const TTextureList& positions) const;

private:
    std::vector<GLuint> names_;
    std::vector<GLuint> withheld_; // names glGenTextures gave that may not be used
};

// Everything one "Load Textures" makes.
struct LoadedTextures {
    std::vector<std::string> TextureNameList;
    TTextureList Table{}; // positions in TextureNameList, one row per box
    TextureSet Textures;
    // The textures left blank because their images are too large to load ("'name' (file): why").
    std::vector<std::string> Blank;
};

// Called after each texture with the number done and the total; returning false cancels.
using UploadProgress = std::function<bool(size_t done, size_t total)>;

// Checks that every texture the boxes name has an image of `images` that can be uploaded,
// then uploads them into new texture objects and fills the table (rows after the last box
// keep what `previousTable` holds). An image wider or higher than 512 pixels or with more than
// 9 levels leaves just its texture blank (listed in Blank). Nothing is uploaded when a name
// has no image or an image is broken, and a cancelled load deletes what it made: the error
// names the texture, its file and the reason, and the caller's textures stay as they are.
Result<LoadedTextures> UploadTextureList(const TextureBoxList& list, const ImageList& images,
                                         const TTextureList& previousTable,
                                         const UploadProgress& progress = {});

// Uploads an image record (bundle image or TGA file) with all its mipmap levels into the
// texture bound to GL_TEXTURE_2D, with linear and linear-mipmap-linear filtering.
Status UploadTexture(const std::vector<uint8_t>& record);

// Binds `id1` and uploads `image1`, then `id2` and `image2`; a missing image leaves its
// texture as it was.
Status UploadHeightmapTextures(GLuint id1, GLuint id2, const NamedImage* image1,
                               const NamedImage* image2);

} // namespace lw::gl
