#include "textures/gl/TextureUpload.h"

#include "textures/ImageRecord.h"
#include "textures/TextureTable.h"

#include <GL/glu.h>

#include <algorithm>

namespace lw::gl {

namespace {

bool meaningful(GLuint name) {
    return name == 0 || name == kNoEdgeTexture || name == kHeightmapTexture1 ||
           name == kHeightmapTexture2;
}

std::string where(const NamedImage& image) {
    std::string text = "'" + image.name + "'";
    if (!image.source.empty())
        text += " (" + image.source + ")";
    return text;
}

Error cannotLoad(const NamedImage& image, const std::string& reason) {
    return Error{"sBadImage", "Image cannot be shown", where(image) + ": " + reason};
}

} // namespace

TextureSet::TextureSet(TextureSet&& other) noexcept
    : names_(std::move(other.names_)), withheld_(std::move(other.withheld_)) {
    other.names_.clear();
    other.withheld_.clear();
}

TextureSet& TextureSet::operator=(TextureSet&& other) noexcept {
    if (this != &other) {
        names_ = std::move(other.names_);
        withheld_ = std::move(other.withheld_);
        other.names_.clear();
        other.withheld_.clear();
    }
    return *this;
}

void TextureSet::generate(size_t count) {
    const size_t target = names_.size() + count;
    while (names_.size() < target) {
        GLuint name = 0;
        glGenTextures(1, &name);
        if (name == 0)
            break; // no context: nothing can be made
        // Kept, not deleted, so that the next call cannot hand the same name out again.
        (meaningful(name) ? withheld_ : names_).push_back(name);
    }
}

void TextureSet::release() {
    if (!names_.empty())
        glDeleteTextures(GLsizei(names_.size()), names_.data());
    if (!withheld_.empty())
        glDeleteTextures(GLsizei(withheld_.size()), withheld_.data());
    forget();
}

void TextureSet::forget() {
    names_.clear();
    withheld_.clear();
}

TTextureList TextureSet::bindingTable(const TTextureList& positions) const {
    TTextureList out{};
    for (size_t r = 0; r < positions.size(); ++r)
        for (size_t s = 0; s < 4; ++s) {
            const uint32_t p = positions[r][s];
            out[r][s] = (s == SlotEdge && p == kNoEdgeTexture) ? kNoEdgeTexture : name(p);
        }
    return out;
}

Status UploadTexture(const std::vector<uint8_t>& record) {
    auto layout = imageLayout(record);
    if (!layout)
        return layout.error();
    const ImageLayout& l = *layout;
    const bool alpha = l.bits == 32;
    const GLenum format = l.blueFirst() ? (alpha ? GL_BGRA : GL_BGR) : (alpha ? GL_RGBA : GL_RGB);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // Rows of 24-bit pixels are packed, not padded to four bytes.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, alpha ? 4 : 3, l.width, l.height, format,
                                           GL_UNSIGNED_BYTE, record.data() + l.pixelOffset);
    glPopClientAttrib();
    if (result != 0)
        return Error{"sBadImage", "Image cannot be shown",
                     std::string("the mipmaps cannot be built: ") +
                         reinterpret_cast<const char*>(gluErrorString(GLenum(result)))};
    return Ok{};
}

Result<LoadedTextures> UploadTextureList(const TextureBoxList& list, const ImageList& images,
                                         const TTextureList& previousTable,
                                         const UploadProgress& progress) {
    TextureUpload plan = planTextureUpload(list, images);
    if (!plan.status)
        return plan.status.error();
    LoadedTextures loaded;
    std::vector<uint8_t> blank(plan.images.size(), 0);
    for (size_t k = 0; k < plan.images.size(); ++k) {
        const NamedImage& image = *plan.images[k];
        bool overLimits = false;
        if (auto l = imageLayout(image.record, &overLimits); !l) {
            if (!overLimits)
                return cannotLoad(image, l.error().detail);
            blank[k] = 1; // its texture stays empty; the others load
            loaded.Blank.push_back(where(image) + ": " + l.error().detail);
        }
    }

    loaded.TextureNameList = std::move(plan.TextureNameList);
    loaded.Table = previousTable;
    if (auto st = fillTextureTable(list, loaded.TextureNameList, loaded.Table); !st)
        return st.error();
    loaded.Textures.generate(plan.images.size());
    if (loaded.Textures.size() != plan.images.size()) {
        loaded.Textures.release();
        return Error{"sBadImage", "Image cannot be shown",
                     "no texture objects can be made in this OpenGL context"};
    }

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const size_t total = plan.images.size();
    for (size_t k = 0; k < total; ++k) {
        glBindTexture(GL_TEXTURE_2D, loaded.Textures.name(k));
        Status st = blank[k] ? Status(Ok{}) : UploadTexture(plan.images[k]->record);
        if (st && progress && !progress(k + 1, total))
            st = Error{"sLoadCancelled", "Loading cancelled",
                       std::to_string(k + 1) + " of " + std::to_string(total) +
                           " textures were loaded; the textures in use stay"};
        if (!st) {
            glBindTexture(GL_TEXTURE_2D, GLuint(bound));
            loaded.Textures.release();
            Error e = st.error();
            if (e.key == "sBadImage")
                e = cannotLoad(*plan.images[k], e.detail);
            return e;
        }
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    return loaded;
}

Status UploadHeightmapTextures(GLuint id1, GLuint id2, const NamedImage* image1,
                               const NamedImage* image2) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    Status result = Ok{};
    const std::pair<GLuint, const NamedImage*> swatches[] = {{id1, image1}, {id2, image2}};
    for (const auto& [id, image] : swatches) {
        if (!image)
            continue;
        glBindTexture(GL_TEXTURE_2D, id);
        if (auto st = UploadTexture(image->record); !st && result)
            result = cannotLoad(*image, st.error().detail);
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    return result;
}

} // namespace lw::gl
