#include "textures/ImageFolder.h"

#include "core/AtomicFile.h"
#include "core/ByteIO.h"
#include "core/Xom.h"
#include "textures/ImageRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

namespace lw {

namespace fs = std::filesystem;

namespace {

// The entries of one folder, found by name ignoring letter case: the game's files come from a
// system that does not tell cases apart, and copies of them often change it.
class FolderIndex {
public:
    explicit FolderIndex(const fs::path& folder) : folder_(folder) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            auto [slot, added] =
                byName_.emplace(foldCase(it->path().filename().string()), it->path());
            // Of names differing only in case, keep the same one whatever the listing order.
            if (!added && it->path() < slot->second)
                slot->second = it->path();
        }
    }

    // The entry of that name: the exact spelling if it exists, else any spelling.
    std::optional<fs::path> find(const std::string& name) const {
        std::error_code ec;
        const fs::path exact = folder_ / name;
        if (fs::exists(exact, ec))
            return exact;
        auto it = byName_.find(foldCase(name));
        if (it == byName_.end())
            return std::nullopt;
        return it->second;
    }
    bool hasFile(const std::string& name) const {
        std::error_code ec;
        auto p = find(name);
        return p && fs::is_regular_file(*p, ec);
    }
    bool hasFolder(const std::string& name) const {
        std::error_code ec;
        auto p = find(name);
        return p && fs::is_directory(*p, ec);
    }

private:
    fs::path folder_;
    std::map<std::string, fs::path> byName_;
};

std::string twoDigits(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", n);
    return text;
}

Error loadingError(const std::string& detail) {
    return Error{"sLoadingError", "Error Loading Files!!!", detail};
}

// Adds a TGA file when it exists and can be read; missing files are skipped without a word.
void addTgaFile(const std::optional<fs::path>& file, ImageList& out) {
    std::error_code ec;
    if (!file || !fs::is_regular_file(*file, ec))
        return;
    auto bytes = readFileBytes(file->string());
    if (!bytes)
        return;
    out.push_back({tgaImageName(file->string()), std::move(*bytes), file->string()});
}

void addThemeImages(const fs::path& folder, ImageList& out) {
    static const char* const kThemes[] = {"Arabian", "Building", "Camelot", "Prehistoric",
                                          "Wildwest"};
    const FolderIndex top(folder);
    for (const char* theme : kThemes) {
        const auto themeFolder = top.find(std::string("Theme") + theme);
        if (!themeFolder)
            continue;
        const FolderIndex index(*themeFolder);
        for (int j = 1; j <= 64; ++j)
            addTgaFile(index.find(theme[0] + twoDigits(j) + ".tga"), out);
    }
    const auto custom = top.find("Custom");
    if (!custom)
        return;
    const FolderIndex customIndex(*custom);
    for (int b = 1; b <= 10; ++b) {
        const auto bank = customIndex.find("Bank" + twoDigits(b));
        if (!bank)
            continue;
        const FolderIndex bankIndex(*bank);
        for (int j = 1; j <= 10; ++j)
            addTgaFile(bankIndex.find("B" + twoDigits(b) + "_" + twoDigits(j) + ".tga"), out);
    }
}

void addTgaFolder(const fs::path& folder, ImageList& out) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        if (foldCase(it->path().extension().string()) == ".tga")
            files.push_back(it->path());
    }
    // The system lists a folder in no particular order; a fixed order keeps equal names stable.
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files)
        addTgaFile(f, out);
}

std::optional<Error> addBundleImages(const fs::path& folder, ImageList& out) {
    const FolderIndex index(folder);
    std::vector<int> numbers;
    for (int n = 7; n <= 12; ++n)
        numbers.push_back(n);
    for (int n = 43; n <= 88; ++n)
        numbers.push_back(n);
    for (int n : numbers) {
        const std::string name = "Bundle" + twoDigits(n) + ".xom";
        const auto file = index.find(name);
        if (!file)
            return loadingError("'" + (folder / name).string() + "': no such file");
        auto bytes = readFileBytes(file->string());
        if (!bytes)
            return loadingError(bytes.error().detail);
        auto images = readBundleImages(*bytes);
        if (!images)
            return loadingError("'" + file->string() + "': " + images.error().detail);
        for (NamedImage& image : *images) {
            image.source = file->string();
            out.push_back(std::move(image));
        }
    }
    return std::nullopt;
}

} // namespace

std::string foldCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

FolderLayout detectFolderLayout(const std::string& folder) {
    const FolderIndex index(folder);
    auto allFiles = [&index](std::initializer_list<const char*> names) {
        return std::all_of(names.begin(), names.end(),
                           [&index](const char* n) { return index.hasFile(n); });
    };
    if (allFiles({"Bundle19.xom", "Bundle07.xom", "Bundle23.xom", "Bundle88.xom"}))
        return FolderLayout::Bundles;
    const char* const themeFolders[] = {"Custom",       "ThemeArabian",     "ThemeBuilding",
                                        "ThemeCamelot", "ThemePrehistoric", "ThemeWildwest"};
    if (std::all_of(std::begin(themeFolders), std::end(themeFolders),
                    [&index](const char* n) { return index.hasFolder(n); }))
        return FolderLayout::Themes;
    if (allFiles({"A01.tga", "W68.tga"}))
        return FolderLayout::TgaFiles;
    return FolderLayout::None;
}

const char* layoutName(FolderLayout layout) {
    switch (layout) {
    case FolderLayout::Bundles:
        return "bundles";
    case FolderLayout::Themes:
        return "themes";
    case FolderLayout::TgaFiles:
        return "tga";
    case FolderLayout::None:
        break;
    }
    return "none";
}

std::string cutBundleImageName(std::string name) {
    // Dropping through the first "\" and then from the first "." leaves no dot; what remains
    // loses every folder part.
    if (const size_t slash = name.find('\\'); slash != std::string::npos)
        name.erase(0, slash + 1);
    if (const size_t dot = name.find('.'); dot != std::string::npos)
        name.erase(dot);
    if (const size_t slash = name.rfind('\\'); slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

std::string tgaImageName(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (const size_t dot = name.find('.'); dot != std::string::npos)
        name.erase(dot);
    return name;
}

Result<ImageList> readBundleImages(const std::vector<uint8_t>& bytes) {
    const uint8_t* d = bytes.data();
    const size_t size = bytes.size();
    auto framing = readXomFraming(d, size);
    if (!framing)
        return framing.error();
    const XomFraming& f = *framing;
    int imageType = -1;
    for (size_t i = 0; i < f.types.size(); ++i)
        if (f.types[i].name == "XImage")
            imageType = int(i);

    ImageList images;
    size_t pos = f.recordsBegin;
    for (int i = 0; i <= imageType; ++i) {
        for (int32_t n = 0; n < f.types[size_t(i)].records; ++n) {
            if (pos >= size)
                return images;
            const size_t next = findXomTag(d, size, pos + 4);
            if (i == imageType) {
                ByteReader r(d, pos, next);
                int32_t slot = 0;
                if (!r.has(4) || std::memcmp(d + pos, "CTNR", 4) != 0 || !r.skip(7) ||
                    !r.varint(slot))
                    return badXomFormat("offset " + std::to_string(pos) + ": image " +
                                        std::to_string(images.size() + 1) +
                                        " is not a complete record");
                // The record runs from after its tag up to the next tag, never past it.
                // "..." and "[OUT]" stand for names that are not there; they are not cut.
                const bool named = slot > 0 && size_t(slot) <= f.strings.size();
                const std::string name = f.slotName(slot);
                images.push_back({named ? cutBundleImageName(name) : name,
                                  std::vector<uint8_t>(d + pos + 4, d + next),
                                  {}});
            }
            pos = next;
        }
    }
    return images;
}

FolderImages loadImageFolder(const std::string& folder, FolderLayout layout) {
    FolderImages result;
    switch (layout) {
    case FolderLayout::Bundles:
        result.error = addBundleImages(folder, result.images);
        break;
    case FolderLayout::Themes:
        addThemeImages(folder, result.images);
        break;
    case FolderLayout::TgaFiles:
        addTgaFolder(folder, result.images);
        break;
    case FolderLayout::None:
        result.error =
            loadingError("'" + folder + "' holds no texture bundles, themes or TGA files");
        break;
    }
    std::stable_sort(result.images.begin(), result.images.end(),
                     [](const NamedImage& a, const NamedImage& b) {
                         return compareIgnoreCase(a.name, b.name) < 0;
                     });
    return result;
}

const NamedImage* FindImage(const ImageList& images, const std::string& name) {
    for (const NamedImage& image : images)
        if (image.name == name)
            return &image;
    return nullptr;
}

Status SaveImageAsTga(const ImageList& images, const std::string& name,
                      const std::string& fileName) {
    const NamedImage* image = FindImage(images, name);
    if (!image)
        return Error{"sImageNotFound", "No image of that name", "'" + name + "'"};
    auto decoded = ShowImage(image->record, false);
    if (!decoded) {
        Error e = decoded.error();
        e.detail = "'" + name + "': " + e.detail;
        return e;
    }
    return writeFileAtomically(fileName, encodeTga(*decoded));
}

} // namespace lw
