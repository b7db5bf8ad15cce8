#pragma once
// TPanelPlus: the collapsible captioned panel of the property sheets. Its header carries the
// caption, an optional read-only edit and a button that collapses the panel to its header.

#include <QColor>
#include <QLineEdit> // QPointer's conversion to QLineEdit* needs the whole class
#include <QPointer>
#include <QString>
#include <QWidget>

namespace lw {

class TPanelPlus : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCollapsedHeight = 25;
    static constexpr int kMinimumWidth = 170;

    explicit TPanelPlus(QWidget* parent = nullptr);

    bool Collapse() const { return collapse_; }
    // Collapsed panels are kCollapsedHeight high, expanded ones FullHeight.
    void setCollapse(bool collapse);
    int FullHeight() const { return fullHeight_; }
    void setFullHeight(int height); // re-applies Collapse

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    // The header edit is created when MakeEdit is first set and hidden when it is cleared.
    bool MakeEdit() const { return makeEdit_; }
    void setMakeEdit(bool makeEdit);
    QString EditText() const { return editText_; }
    void setEditText(const QString& text);
    QColor EditColor() const { return editColor_; }
    void setEditColor(const QColor& color);
    QLineEdit* headerEdit() const { return headerEdit_; } // null until first needed

    // The collapse button's hit area, exclusive on every side, for a panel `width` wide.
    static bool inCollapseButton(const QPoint& pos, int width);
    // Where the header edit goes for a caption `captionWidth` pixels wide in a panel `width` wide.
    static QRect headerEditGeometry(int captionWidth, int width);

signals:
    // Fired at the end of every paint; a receiver may still paint on the panel.
    void OnPaint();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyHeight();
    void placeHeaderEdit();

    bool collapse_ = false;
    int fullHeight_ = 100;
    QString caption_;
    bool makeEdit_ = false;
    QString editText_;
    QColor editColor_;
    QPointer<QLineEdit> headerEdit_;
};

} // namespace lw
