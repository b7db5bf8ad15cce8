#include "textures/gui/FormXom.h"

#include "textures/gui/ImageDrag.h"
#include "textures/gui/SelectLandForm.h"
#include "ui/Language.h"
#include "ui/gui/ErrorBox.h"
#include "ui/gui/LangBind.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace lw {

namespace {

constexpr int kRowRole = Qt::UserRole + 1;

std::string toLocal(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

// A decoded image (B, G, R(, A), top row first) as a picture; the blend with the checkerboard
// is already in the colours, so the alpha byte is not used.
QImage decodedToImage(const DecodedImage& d) {
    QImage image(d.width, d.height, QImage::Format_RGB32);
    const size_t bpp = size_t(d.bits / 8);
    for (int y = 0; y < d.height; ++y) {
        const uint8_t* src = d.pixels.data() + size_t(y) * size_t(d.width) * bpp;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < d.width; ++x, src += bpp)
            line[x] = qRgb(src[2], src[1], src[0]);
    }
    return image;
}

} // namespace

// Decodes thumbnails on a thread of its own, newest request first (the rows being painted
// now), and hands each result to `done`, which runs on the worker and must post it on.
class ThumbnailWorker {
public:
    using Done = std::function<void(quint64 generation, int row, QImage image)>;

    explicit ThumbnailWorker(Done done) : done_(std::move(done)), thread_([this] { run(); }) {}
    ~ThumbnailWorker() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void request(std::shared_ptr<const ImageList> images, quint64 generation, int row) {
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back({std::move(images), generation, row});
        }
        wake_.notify_one();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        jobs_.clear();
    }

private:
    struct Job {
        std::shared_ptr<const ImageList> images;
        quint64 generation = 0;
        int row = 0;
    };

    void run() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
                if (stop_)
                    return;
                job = std::move(jobs_.back());
                jobs_.pop_back();
            }
            QImage thumb;
            const NamedImage& image = (*job.images)[size_t(job.row)];
            if (auto decoded = ShowImage(image.record, true))
                thumb = decodedToImage(*decoded).scaled(TFormXom::kThumbSide, TFormXom::kThumbSide,
                                                        Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation);
            done_(job.generation, job.row, std::move(thumb));
        }
    }

    Done done_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stop_ = false;
    std::thread thread_;
};

// Rows of the list: the thumbnail at (1, 1), the name 35 pixels in.
class ThumbnailDelegate : public QStyledItemDelegate {
public:
    ThumbnailDelegate(TFormXom* form) : QStyledItemDelegate(form), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QRect r = option.rect;
        painter->fillRect(r, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        if (const QImage* thumb = form_->thumbnail(index.data(kRowRole).toInt());
            thumb && !thumb->isNull())
            painter->drawImage(
                QRect(r.left() + 1, r.top() + 1, TFormXom::kThumbSide, TFormXom::kThumbSide),
                *thumb);
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(r.left() + 35, r.top(), r.width() - 35, r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width() + 35, TFormXom::kRowHeight};
    }

private:
    TFormXom* form_;
};

TImageTree::TImageTree(QWidget* parent) : QTreeWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setRootIsDecorated(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QMimeData* TImageTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty())
        return nullptr;
    return imageNameMimeData(items.front()->text(0));
}

TFormXom::TFormXom(QWidget* parent)
    : QWidget(parent, Qt::Tool), images_(std::make_shared<const ImageList>()) {
    setObjectName(QStringLiteral("FormXom"));
    setWindowTitle(QStringLiteral("TextureView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);

    Button1 = new QPushButton(this);
    Button1->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(Button1);

    TreeView1 = new TImageTree(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setColumnCount(1);
    TreeView1->setItemDelegate(new ThumbnailDelegate(this));
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    HeaderControl1 = TreeView1->header();
    HeaderControl1->setObjectName(QStringLiteral("HeaderControl1"));
    layout->addWidget(TreeView1, 1);

    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setAutoFillBackground(true);
    QPalette black = frame->palette();
    black.setColor(QPalette::Window, Qt::black);
    frame->setPalette(black);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    ScrollBox1 = new QScrollArea(frame);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFixedSize(132, 132);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setPalette(black);
    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAttribute(Qt::WA_TranslucentBackground);
    ScrollBox1->setWidget(Image1);
    frameLayout->addWidget(ScrollBox1, 0, Qt::AlignHCenter);
    layout->addWidget(frame);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(QStringLiteral("Type"), StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel->setMinimumWidth(50);
    StatusBar1->addWidget(StatusPanel, 1);
    layout->addWidget(StatusBar1);

    ImageMenu = new QMenu(this);
    ImageMenu->setObjectName(QStringLiteral("ImageMenu"));
    SaveImage1 = ImageMenu->addAction(QString());
    SaveImage1->setObjectName(QStringLiteral("SaveImage1"));

    // A narrow list beside the map; the user may make it larger.
    setMinimumSize(151, 300);
    resize(151, 555);

    connect(Button1, &QPushButton::clicked, this, &TFormXom::Button1Click);
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TFormXom::TreeView1Change);
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* item = TreeView1->itemAt(at);
        if (!item)
            return;
        TreeView1->setCurrentItem(item);
        ImageMenu->popup(TreeView1->viewport()->mapToGlobal(at));
    });
    connect(SaveImage1, &QAction::triggered, this, &TFormXom::SaveImage1Click);

    QPointer<TFormXom> self(this);
    worker_ = std::make_unique<ThumbnailWorker>([self](quint64 generation, int row, QImage image) {
        // Runs on the worker: post the result to the window's thread.
        QMetaObject::invokeMethod(
            self.data(),
            [self, generation, row, image = std::move(image)] {
                if (self)
                    self->thumbnailDecoded(generation, row, image);
            },
            Qt::QueuedConnection);
    });

    LangRegistry& r = appLangRegistry();
    bindCaption(r, QStringLiteral("[sTextureView]"), this);
    bindCaption(r, QStringLiteral("[sLoadTextureDir]"), Button1);
    bindCaption(r, QStringLiteral("[sSaveImage_]"), SaveImage1);
    bindString(r, QStringLiteral("[sSelectFolderMap]"), this, &prompt_);
    r.add(QStringLiteral("[sTextureName]"), TreeView1,
          [this](const QString& text) { TreeView1->setHeaderLabel(text); });
    bindAccessibleName(r, QStringLiteral("[sTextureView]"), TreeView1);
    bindAccessibleName(r, QStringLiteral("[sTextureView]"), ScrollBox1);
    r.apply(appLanguage());
}

TFormXom::~TFormXom() {
    // The workers refer to the window; they finish before it goes.
    if (reader_ && reader_->joinable())
        reader_->join();
    worker_.reset();
}

const NamedImage* TFormXom::FindImage(const QString& name) const {
    return lw::FindImage(*images_, name.toLatin1().toStdString());
}

void TFormXom::reportError(const QString& text) {
    const QString title = langText("[sError]");
    if (error)
        error(this, title, text);
    else
        showErrorBox(this, title, text);
}

void TFormXom::Button1Click() {
    if (loading_)
        return;
    QString chosen;
    const bool ok = chooseFolder ? chooseFolder(this, prompt_, chosen)
                                 : ChooseGameFolder(this, prompt_, chosen);
    if (ok && !chosen.isEmpty())
        loadFolder(chosen);
}

void TFormXom::loadFolder(const QString& folder) {
    if (loading_)
        return;
    const std::string path = toLocal(folder);
    const FolderLayout layout = detectFolderLayout(path);
    if (layout == FolderLayout::None) {
        reportError(langText("[sLoadingError]") + QStringLiteral("\n\n'") + folder +
                    QStringLiteral("' holds no texture bundles, themes or TGA files"));
        emit folderLoaded(false);
        return;
    }
    loading_ = true;
    Button1->setEnabled(false);
    StatusPanel->setText(QStringLiteral("..."));
    if (reader_ && reader_->joinable())
        reader_->join();
    QPointer<TFormXom> self(this);
    reader_ = std::make_unique<std::thread>([self, path, layout, folder] {
        auto result = std::make_shared<FolderImages>(loadImageFolder(path, layout));
        QMetaObject::invokeMethod(
            self.data(),
            [self, result, folder] {
                if (!self)
                    return;
                self->folder_ = folder;
                self->showImages(std::move(result->images));
                self->loading_ = false;
                self->Button1->setEnabled(true);
                if (result->error)
                    self->reportError(langText("[sLoadingError]") + QStringLiteral("\n\n") +
                                      QString::fromStdString(result->error->detail));
                emit self->folderLoaded(!result->error);
            },
            Qt::QueuedConnection);
    });
}

void TFormXom::showImages(ImageList images) {
    worker_->clear();
    ++generation_;
    images_ = std::make_shared<const ImageList>(std::move(images));
    thumbnails_.assign(images_->size(), QImage());
    requested_.assign(images_->size(), 0);
    const QSignalBlocker blocker(TreeView1);
    TreeView1->setUpdatesEnabled(false);
    TreeView1->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(images_->size()));
    for (size_t i = 0; i < images_->size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList{QString::fromLatin1((*images_)[i].name)});
        item->setData(0, kRowRole, int(i));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        items.push_back(item);
    }
    TreeView1->addTopLevelItems(items);
    TreeView1->setUpdatesEnabled(true);
    Image1->clear();
    Image1->resize(0, 0);
    StatusPanel->setText(QStringLiteral("Type"));
    StatusPanel->setToolTip(QString());
}

const QImage* TFormXom::thumbnail(int row) {
    if (row < 0 || size_t(row) >= thumbnails_.size())
        return nullptr;
    if (!requested_[size_t(row)]) {
        requested_[size_t(row)] = 1;
        worker_->request(images_, generation_, row);
    }
    return &thumbnails_[size_t(row)];
}

void TFormXom::thumbnailDecoded(quint64 generation, int row, const QImage& image) {
    if (generation != generation_ || row < 0 || size_t(row) >= thumbnails_.size())
        return;
    thumbnails_[size_t(row)] = image;
    if (QTreeWidgetItem* item = TreeView1->topLevelItem(row))
        TreeView1->viewport()->update(TreeView1->visualItemRect(item));
}

QImage TFormXom::cachedThumbnail(int row) const {
    return row >= 0 && size_t(row) < thumbnails_.size() ? thumbnails_[size_t(row)] : QImage();
}

int TFormXom::decodedThumbnails() const {
    int n = 0;
    for (const QImage& t : thumbnails_)
        n += t.isNull() ? 0 : 1;
    return n;
}

void TFormXom::TreeView1Change() {
    if (loading_)
        return;
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = item->data(0, kRowRole).toInt();
    if (row < 0 || size_t(row) >= images_->size())
        return;
    auto decoded = ShowImage((*images_)[size_t(row)].record, true);
    if (!decoded) {
        // The view stays blank; the status says why.
        Image1->clear();
        Image1->resize(0, 0);
        StatusPanel->setText(QStringLiteral("?"));
        StatusPanel->setToolTip(QString::fromStdString(decoded.error().detail));
        return;
    }
    Image1->setPixmap(QPixmap::fromImage(decodedToImage(*decoded)));
    Image1->resize(decoded->width, decoded->height);
    StatusPanel->setText(QString::fromStdString(decoded->description()));
    StatusPanel->setToolTip(StatusPanel->text());
}

QImage TFormXom::swatchImage(const QString& name, int side) const {
    const NamedImage* image = FindImage(name);
    if (!image)
        return {};
    auto decoded = ShowImage(image->record, true);
    if (!decoded)
        return {};
    return decodedToImage(*decoded)
        .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB888);
}

bool TFormXom::saveImageAsTga(const QString& name, const QString& fileName) {
    const Status saved = SaveImageAsTga(*images_, name.toLatin1().toStdString(), toLocal(fileName));
    if (!saved) {
        reportError(QString::fromStdString(saved.error().message()));
        return false;
    }
    return true;
}

void TFormXom::SaveImage1Click() {
    QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item)
        return;
    const QString name = item->text(0);
    const QString suggested = name + QStringLiteral(".tga");
    QString file = chooseTgaFile ? chooseTgaFile(this, suggested)
                                 : QFileDialog::getSaveFileName(this, SaveImage1->text(), suggested,
                                                                QStringLiteral("TGA (*.tga)"));
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".tga");
    saveImageAsTga(name, file);
}

void TFormXom::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        placeOnScreen();
    }
    QWidget::showEvent(event);
}

void TFormXom::placeOnScreen() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen* shownOn = owner ? owner->screen() : screen();
    if (!shownOn)
        return;
    const QRect room = shownOn->availableGeometry();
    // The title bar holds the caption and, on most desktops, an icon and two or three buttons;
    // the frame adds a border and the title bar's height.
    constexpr int kTitleBarExtras = 120;
    constexpr int kFrameHeight = 40;
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    const int captionWidth = QFontMetrics(titleFont).horizontalAdvance(windowTitle());
    const int w = std::min(std::max(width(), captionWidth + kTitleBarExtras), room.width());
    const int h = std::min(height(), room.height() - kFrameHeight);
    resize(std::max(w, minimumWidth()), std::max(h, std::min(minimumHeight(), room.height())));
    // Right of its owner; where the screen ends first, at the screen's right edge.
    QPoint at = owner ? owner->frameGeometry().topRight() + QPoint(1, 0) : room.topLeft();
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - width())));
    at.setY(std::clamp(at.y(), room.top(),
                       std::max(room.top(), room.bottom() + 1 - height() - kFrameHeight)));
    move(at);
}

void TFormXom::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace lw
