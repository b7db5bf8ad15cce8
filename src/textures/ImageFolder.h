#pragma once
// The browser's list of named images, gathered from a folder of texture bundles, a folder of
// themes or a plain folder of TGA files.

#include "core/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lw {

// One entry of the list: the image's name and an owned copy of its record (the bytes of an
// XImage object after its "CTNR" tag, or a whole TGA file).
struct NamedImage {
    std::string name;
    std::vector<uint8_t> record;
    // The file the image came from (its bundle or TGA file), for messages; may be empty.
    std::string source = {};
};

using ImageList = std::vector<NamedImage>;

enum class FolderLayout { None, Bundles, Themes, TgaFiles };

// The layout of a folder, by the entries it holds; bundles first, then themes, then TGA files.
FolderLayout detectFolderLayout(const std::string& folder);
const char* layoutName(FolderLayout layout);

// The images of one bundle file image, in file order, names cut to their last path part
// without extension.
Result<ImageList> readBundleImages(const std::vector<uint8_t>& bytes);

// The browser's name of an XImage object: no folders, nothing from the first ".".
std::string cutBundleImageName(std::string name);
// The name of a TGA file: the file name without folder, cut at its first ".".
std::string tgaImageName(const std::string& path);

struct FolderImages {
    ImageList images;
    // Set when a bundle could not be read; the images read before it are kept.
    std::optional<Error> error;
};

// Reads every image of a folder of the given layout, sorted by name ignoring case (images of
// equal names stay in the order they were read).
FolderImages loadImageFolder(const std::string& folder, FolderLayout layout);

// ASCII letters in lower case: the key for names compared ignoring case.
std::string foldCase(std::string s);

// The first image, in list order, whose name equals `name` exactly.
const NamedImage* FindImage(const ImageList& images, const std::string& name);

// Decodes the image `name` without the checkerboard and writes it as an uncompressed TGA file.
// An unknown name or an image that cannot be decoded writes nothing and is reported.
Status SaveImageAsTga(const ImageList& images, const std::string& name,
                      const std::string& fileName);

} // namespace lw
