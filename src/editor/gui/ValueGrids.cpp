#include "editor/gui/ValueGrids.h"

#include "textures/TextureCodes.h"
#include "ui/FloatText.h"
#include "ui/gui/StylePaint.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace lw {

namespace {

constexpr int kTextInset = 2;

void paintTitleCell(QPainter& p, const QRect& rect, const QString& text, const QPalette& palette) {
    p.save();
    paintStyleGradient(p, rect, GradientDirection::Vertical, false);
    p.setPen(palette.color(QPalette::Mid));
    p.drawLine(rect.topRight(), rect.bottomRight());
    p.drawLine(rect.bottomLeft(), rect.bottomRight());
    p.setPen(palette.color(QPalette::WindowText));
    p.setClipRect(rect);
    p.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    p.restore();
}

// Cell texts drawn over the grid's own background, 2 pixels in from the cell's corner.
class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        p->save();
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            p->fillRect(option.rect, option.palette.color(QPalette::Highlight));
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->setClipRect(option.rect);
        p->drawText(option.rect.adjusted(kTextInset, kTextInset, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
        p->restore();
    }
};

} // namespace

// ---- TValueGridModel ----------------------------------------------------------------------------

TValueGridModel::TValueGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void TValueGridModel::setValues(int rows, int columns, std::vector<float> values) {
    values.resize(size_t(std::max(rows, 0)) * size_t(std::max(columns, 0)), 0.0f);
    if (rows == rows_ && columns == columns_) {
        values_ = std::move(values);
        if (rows_ > 0 && columns_ > 0)
            emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
        emit headerDataChanged(Qt::Vertical, 0, std::max(rows_ - 1, 0));
        return;
    }
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    values_ = std::move(values);
    endResetModel();
}

void TValueGridModel::setColumnTitles(const QStringList& titles) {
    columnTitles_ = titles;
    if (columns_ > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

float TValueGridModel::value(int row, int column) const {
    if (row < 0 || column < 0 || row >= rows_ || column >= columns_)
        return 0.0f;
    return values_[size_t(row) * size_t(columns_) + size_t(column)];
}

int TValueGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TValueGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TValueGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    if (numberColumn_ && index.column() == 0)
        return QString::number(index.row() + 1);
    return formatFixed(double(value(index.row(), index.column())), 6);
}

QVariant TValueGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    const QStringList& titles = orientation == Qt::Horizontal ? columnTitles_ : rowTitles_;
    if (section >= 0 && section < titles.size())
        return titles[section];
    return QString::number(section + 1);
}

Qt::ItemFlags TValueGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- TTextCodeModel -----------------------------------------------------------------------------

TTextCodeModel::TTextCodeModel(QObject* parent) : QAbstractTableModel(parent) {}

void TTextCodeModel::setCodes(std::vector<uint32_t> codes) {
    if (codes.size() == codes_.size()) {
        codes_ = std::move(codes);
        if (!codes_.empty())
            emit dataChanged(index(0, 0), index(int(codes_.size()) - 1, 1), {Qt::DisplayRole});
        return;
    }
    beginResetModel();
    codes_ = std::move(codes);
    endResetModel();
}

void TTextCodeModel::setColumnTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

int TTextCodeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(codes_.size());
}

int TTextCodeModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant TTextCodeModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= codes_.size())
        return {};
    if (index.column() == 0)
        return QString::number(index.row());
    return QString::fromStdString(cellCodeText(codes_[size_t(index.row())]));
}

QVariant TTextCodeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section >= 0 && section < titles_.size() ? titles_[section] : QString();
}

// ---- TGridHeader --------------------------------------------------------------------------------

TGridHeader::TGridHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid() || !model())
        return;
    const QString text =
        model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    paintTitleCell(*painter, rect, text, palette());
}

// ---- TValueGrid ---------------------------------------------------------------------------------

TValueGrid::TValueGrid(QWidget* parent) : QTableView(parent) {
    auto* columns = new TGridHeader(Qt::Horizontal, this);
    auto* rows = new TGridHeader(Qt::Vertical, this);
    setHorizontalHeader(columns);
    setVerticalHeader(rows);
    columns->setFixedHeight(kRowHeight);
    columns->setMinimumSectionSize(0);
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);
    columns->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    viewport()->installEventFilter(this);
    applyStyleSurface(this, StyleSurface::Grid);
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);
}

void TValueGrid::setCornerText(const QString& text) {
    cornerText_ = text;
    if (auto* corner = findChild<QAbstractButton*>())
        corner->update();
}

bool TValueGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewport() &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true; // the menu opens on its own event; the current cell stays
    if (event->type() == QEvent::Paint && watched != viewport()) {
        if (auto* corner = qobject_cast<QAbstractButton*>(watched)) {
            QPainter p(corner);
            paintTitleCell(p, corner->rect(), cornerText_, palette());
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace lw
