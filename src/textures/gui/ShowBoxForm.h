#pragma once
// "Show Boxs": the overview of the loaded texture boxes, 8 x 8 numbered tiles.

#include <QImage>
#include <QWidget>

namespace lw {

class TFormShowBox : public QWidget {
    Q_OBJECT

public:
    explicit TFormShowBox(QWidget* parent = nullptr);

    // The overview from the last "Load Textures" (530 x 530); null before.
    void setOverview(const QImage& overview);
    const QImage& overview() const { return overview_; }

    QWidget* PaintBox1 = nullptr;

signals:
    // The window was closed by the user.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QImage overview_;
};

} // namespace lw
