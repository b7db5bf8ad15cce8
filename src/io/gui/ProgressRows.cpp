#include "io/gui/ProgressRows.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace lw {

ProgressRows::ProgressRows(QWidget* dialog) {
    auto row = [dialog](const char* name, const QString& text, int y, QLabel*& label,
                        QProgressBar*& bar, const char* barName) {
        label = new QLabel(text, dialog);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(10, y, 420, 16);
        bar = new QProgressBar(dialog);
        bar->setObjectName(QString::fromLatin1(barName));
        bar->setGeometry(10, y + 18, 420, 16);
        bar->setRange(0, 100);
        bar->setAccessibleName(text);
    };
    row("FullProcess", QStringLiteral("Full Process"), 8, FullProcess, ProgressMain,
        "ProgressMain");
    row("PoxelProcess", QStringLiteral("Poxel Process"), 48, PoxelProcess, ProgressPoxel,
        "ProgressPoxel");
}

void ProgressRows::showStage(const std::string& full, const std::string& poxel) {
    if (!full.empty())
        FullProcess->setText(QString::fromLocal8Bit(full));
    PoxelProcess->setText(QString::fromLocal8Bit(poxel));
}

void ProgressRows::showPercents(int mainPercent, int poxelPercent) {
    if (mainPercent >= 0)
        ProgressMain->setValue(std::clamp(mainPercent, 0, 100));
    if (poxelPercent >= 0)
        ProgressPoxel->setValue(std::clamp(poxelPercent, 0, 100));
}

} // namespace lw
