// `render`: a picture of a map drawn by the editor's scene code in a context without a display.

#include "cli/Cli.h"

#include "core/AtomicFile.h"
#include "core/MapReader.h"
#include "io/HeightmapFile.h"
#include "io/gl/HeightmapRender.h"
#include "render/CpuPicture.h"
#include "render/SceneBounds.h"
#include "render/SceneState.h"
#include "render/gl/DisplayLists.h"
#include "render/gl/FontLists.h"
#include "render/gl/HeadlessContext.h"
#include "render/gl/PoxelLists.h"
#include "render/gl/SceneDrawer.h"
#include "textures/ImageFolder.h"
#include "textures/TextureListDocument.h"
#include "textures/gl/TextureUpload.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <tuple>

namespace lw::cli {

namespace {

constexpr int kMaxRenderSide = 8192;
// Thumbnails of larger maps are drawn on the processor, coarser but in little memory and time:
// OpenGL holds every mesh of a frame at once (about 3 KB a cell here), and every poxel's
// buffers cost on top of that.
constexpr size_t kMaxCellsForGlThumbnail = 200000;
constexpr size_t kMaxPoxelsForGlThumbnail = 2000;

bool thumbnailOnCpu(const TPoxel& root) {
    const PoxelCount count = countPoxels(root);
    return count.cells > kMaxCellsForGlThumbnail || count.poxels > kMaxPoxelsForGlThumbnail;
}

Result<float> floatOption(const Args& args, const std::string& name, float fallback) {
    const auto it = args.options.find(name);
    if (it == args.options.end())
        return fallback;
    const std::string& text = it->second;
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return Error{"", "Bad value", name + " needs a number, got \"" + text + "\""};
    return value;
}

Result<std::pair<int, int>> sizeOption(const Args& args) {
    const auto it = args.options.find("--size");
    if (it == args.options.end())
        return std::pair{800, 600};
    const std::string& text = it->second;
    const auto x = text.find_first_of("xX");
    int w = 0;
    int h = 0;
    bool ok = x != std::string::npos;
    if (ok) {
        const auto r1 = std::from_chars(text.data(), text.data() + x, w);
        const auto r2 = std::from_chars(text.data() + x + 1, text.data() + text.size(), h);
        ok = r1.ec == std::errc() && r1.ptr == text.data() + x && r2.ec == std::errc() &&
             r2.ptr == text.data() + text.size();
    }
    if (!ok || w < 1 || h < 1 || w > kMaxRenderSide || h > kMaxRenderSide)
        return Error{"", "Bad value",
                     "--size needs WxH with sides from 1 to " + std::to_string(kMaxRenderSide) +
                         ", got \"" + text + "\""};
    return std::pair{w, h};
}

// Fonts for the labels need a GUI application; a platform without a screen is enough. It lives
// only as long as the command.
std::unique_ptr<QGuiApplication> makeGuiApplication() {
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "landwright-cli";
    static char* argv[] = {name, nullptr};
    // Start-up chatter of the platform (runtime folder and the like) is no business of ours.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    qInstallMessageHandler(previous);
    return app;
}

// What a picture of a map shows and from where.
struct PictureOptions {
    int width = 800;
    int height = 600;
    float yaw = TCamera{}.CamYaw;
    float pitch = TCamera{}.CamPitch;
    float distance = 0; // 0: far enough to see the whole map
    bool grid = true;
    bool wireframe = false;
    bool names = true;
    // The thumbnail's look: no helpers, and the map fills the picture.
    bool thumbnail = false;
    // The thumbnail drawn on the processor whatever the map's size.
    bool coarse = false;
    // A texture list and the folder of its images: the map drawn textured.
    std::string textureList;
    std::string bundles;
};

Result<std::vector<uint8_t>> encodePng(const QImage& picture, const std::string& mapFile) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return Error{"", "Cannot encode the picture", mapFile};
    return std::vector<uint8_t>(png.begin(), png.end());
}

// A thumbnail of a large map: its cells as boxes drawn on the processor, framed as a thumbnail
// drawn by OpenGL is.
Result<std::vector<uint8_t>> drawLargeThumbnail(TPoxel& root, const std::string& mapFile,
                                                const PictureOptions& options) {
    computeBoxesByLevels(root);
    TCamera camera;
    camera.Width = options.width;
    camera.Height = options.height;
    camera.CamYaw = options.yaw;
    camera.CamPitch = options.pitch;
    fitCameraToPoints(camera, worldCorners(root));
    const std::vector<uint8_t> rgb = drawCellsOnCpu(root, camera);
    const QImage picture(rgb.data(), options.width, options.height, options.width * 3,
                         QImage::Format_RGB888);
    return encodePng(picture, mapFile);
}

// Draws the map file with the editor's scene code and encodes the picture as PNG.
Result<std::vector<uint8_t>> drawMapPicture(const std::string& mapFile,
                                            const PictureOptions& options) {
    const bool textured = !options.textureList.empty();
    auto map = readMapFile(mapFile);
    if (!map)
        return map.error();
    if (options.thumbnail && !textured && (options.coarse || thumbnailOnCpu(*map.value())))
        return drawLargeThumbnail(*map.value(), mapFile, options);
    // Everything is read and checked before the context exists.
    TextureBoxList boxes;
    ImageList images;
    if (textured) {
        auto list = readTextureListFile(options.textureList);
        if (!list)
            return list.error();
        boxes = std::move(*list);
        FolderImages loaded = loadImageFolder(options.bundles, detectFolderLayout(options.bundles));
        if (loaded.error)
            return *loaded.error;
        images = std::move(loaded.images);
    }
    auto context = gl::HeadlessContext::create(options.width, options.height);
    if (!context)
        return context.error();
    const auto app = makeGuiApplication();
    gl::installDisplayListReleaseHook();

    SceneState state;
    gl::SetupGLState(state);
    if (options.names) {
        QFont font(QStringLiteral("Sans Serif"));
        font.setPixelSize(11);
        gl::buildFontLists(gl::kFontListBase, font);
    }
    gl::BuildFixedLists(gl::kFontListBase);
    state.FontBase = gl::kFontListBase;
    state.HideName = !options.names;
    TPoxel& root = *map.value();
    gl::TextureSet textures;
    TTextureList binding{};
    if (textured) {
        auto uploaded = gl::UploadTextureList(boxes, images, TTextureList{});
        if (!uploaded) {
            map.value().reset();
            gl::forgetContextLists();
            return uploaded.error();
        }
        textures = std::move(uploaded->Textures);
        binding = textures.bindingTable(uploaded->Table);
        state.Textures = &binding;
        state.ShowTextures = true;
    }
    gl::BuildPoxelTree(root, state.Textures);
    state.EditRoot = state.ShownRoot = &root;
    state.ShowGrid = options.grid;
    state.Wireframe = options.wireframe;
    state.Camera.Width = options.width;
    state.Camera.Height = options.height;
    state.Camera.CamYaw = options.yaw;
    state.Camera.CamPitch = options.pitch;
    state.ShowHelpers = !options.thumbnail;
    if (options.thumbnail)
        fitCameraToPoints(state.Camera, worldCorners(root));
    else if (const auto bounds = worldBounds(root))
        focusCameraOnBounds(state.Camera, *bounds);
    if (options.distance > 0)
        state.Camera.CamDistance = options.distance;

    gl::RenderFrame(state, false);
    const auto pixels = context.value()->readPixels();
    // The nodes release their lists while the context is still current.
    map.value().reset();
    textures.release();
    gl::forgetContextLists();

    QImage image(pixels.data(), options.width, options.height, QImage::Format_RGBA8888);
    // The framebuffer's rows run bottom up; pictures run top down. The alpha channel is dropped.
    return encodePng(image.mirrored().convertToFormat(QImage::Format_RGB888), mapFile);
}

int writePicture(const std::string& mapFile, const std::string& out,
                 const PictureOptions& options) {
    const auto png = drawMapPicture(mapFile, options);
    if (!png)
        return fail(png.error());
    if (const Status written = writeFileAtomically(out, png.value()); !written)
        return fail(written.error());
    std::printf("%s\n", out.c_str());
    return ExitOk;
}

} // namespace

int runRender(const Args& args) {
    const auto out = args.options.find("-o");
    if (out == args.options.end() || out->second.empty())
        return usageError(commandNamed("render"),
                          "the picture's file name is missing (-o OUT.png)");
    const auto sized = sizeOption(args);
    if (!sized)
        return fail(sized.error());
    PictureOptions options;
    std::tie(options.width, options.height) = sized.value();
    const auto yaw = floatOption(args, "--yaw", options.yaw);
    const auto pitch = floatOption(args, "--pitch", options.pitch);
    const auto distance = floatOption(args, "--distance", 0.0f);
    for (const auto* r : {&yaw, &pitch, &distance})
        if (!*r)
            return fail(r->error());
    options.yaw = yaw.value();
    options.pitch = pitch.value();
    options.distance = distance.value();
    options.grid = !args.has("--no-grid");
    options.wireframe = args.has("--wireframe");
    const bool textured = args.options.count("--texture-list") != 0;
    if (textured != (args.options.count("--bundles") != 0))
        return usageError(commandNamed("render"), "--texture-list goes with --bundles");
    if (textured) {
        options.textureList = args.options.at("--texture-list");
        options.bundles = args.options.at("--bundles");
    }
    return writePicture(args.positional[0], out->second, options);
}

int runThumbnail(const Args& args) {
    const auto side = integerOption(args, "--size", 256);
    if (!side)
        return fail(side.error());
    if (side.value() < 1 || side.value() > kMaxRenderSide)
        return fail(Error{"", "Bad value",
                          "--size needs a side from 1 to " + std::to_string(kMaxRenderSide) +
                              ", got " + std::to_string(side.value())});
    PictureOptions options;
    options.width = options.height = static_cast<int>(side.value());
    // The map alone, framed to fill the square: no grid, no names and no edge overlay, which
    // at thumbnail sizes are only clutter (the edges would darken every small cell).
    options.grid = false;
    options.names = false;
    options.wireframe = false;
    options.thumbnail = true;
    options.coarse = args.has("--coarse");
    return writePicture(args.positional[0], args.positional[1], options);
}

int runHmpFromMap(const Args& args) {
    auto map = readMapFile(args.positional[1]);
    if (!map)
        return fail(map.error());
    TPoxel& root = *map.value();
    TPoxel* node = &root;
    if (args.options.count("--node")) {
        auto index = integerOption(args, "--node", 0);
        if (!index)
            return fail(index.error());
        auto ref = nodeAtIndex(root, *index);
        if (!ref)
            return fail(ref.error());
        node = ref->node;
    }
    auto context = gl::HeadlessContext::create(gl::kDepthSide, gl::kDepthSide);
    if (!context)
        return fail(context.error());
    gl::installDisplayListReleaseHook();
    SceneState state;
    gl::SetupGLState(state);
    gl::BuildPoxelTree(root, nullptr);
    state.EditRoot = state.ShownRoot = &root;
    auto preview = gl::MakeHeightmap(state, *node);
    // The nodes release their lists while the context is still current.
    map.value().reset();
    gl::forgetContextLists();
    if (!preview)
        return fail(preview.error());
    auto written = writeHmpFile(*preview, args.positional[2]);
    if (!written)
        return fail(written.error());
    std::printf("wrote %s\n", written->c_str());
    return ExitOk;
}

} // namespace lw::cli
