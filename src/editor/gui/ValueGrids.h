#pragma once
// The grids of the property page: models that hold a copy of the values they show (so a
// node that goes away leaves nothing behind in a view), and the view that draws its title
// cells with the style gradient. A model of 22,500 cells fills in one reset; only the rows on
// screen are ever formatted.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStringList>
#include <QTableView>

#include <cstdint>
#include <vector>

namespace lw {

// A grid of 32-bit floats shown as "%f"; optionally the first column counts the rows from 1
// (the "#" column of the layer table).
class TValueGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TValueGridModel(QObject* parent = nullptr);

    // Replaces the values (row-major, rows x columns). Same shape: the cells are updated in
    // place; another shape resets the model.
    void setValues(int rows, int columns, std::vector<float> values);
    void setNumberColumn(bool on) { numberColumn_ = on; }
    void setColumnTitles(const QStringList& titles);
    // Row titles; when empty the rows are numbered from 1.
    void setRowTitles(const QStringList& titles) { rowTitles_ = titles; }

    float value(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int rows_ = 0;
    int columns_ = 0;
    std::vector<float> values_;
    bool numberColumn_ = false;
    QStringList columnTitles_;
    QStringList rowTitles_;
};

// The cell code table: one row per cell, "%d" of the cell and its code as
// "[%.2d] [%.2d] [%.2d] [%.2d]".
class TTextCodeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TTextCodeModel(QObject* parent = nullptr);

    void setCodes(std::vector<uint32_t> codes);
    const std::vector<uint32_t>& codes() const { return codes_; }
    void setColumnTitles(const QStringList& titles);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<uint32_t> codes_;
    QStringList titles_{QStringLiteral("#"), QStringLiteral("Texture Code")};
};

// A header whose sections are title cells: the style gradient stretched over the cell and the
// text 2 pixels in from its top-left corner.
class TGridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TGridHeader(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// The grid control of the property page: rows of 18 pixels, title row and column drawn as
// title cells, cell texts 2 pixels in from the cell's corner, the style gradient behind the
// cells, and a right button that never moves the current cell (it only opens the menu).
class TValueGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 18;

    explicit TValueGrid(QWidget* parent = nullptr);

    // The text of the corner cell where the title row meets the title column ("x\z").
    void setCornerText(const QString& text);
    QString cornerText() const { return cornerText_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString cornerText_;
};

} // namespace lw
