#pragma once
// The two progress rows at the top of the 3DS dialogs: the stage of the whole run over its bar,
// the stage of the poxel in hand over its own.

#include <string>

class QLabel;
class QProgressBar;
class QWidget;

namespace lw {

struct ProgressRows {
    // Makes the rows in the top 82 pixels of `dialog`, 420 wide.
    explicit ProgressRows(QWidget* dialog);

    // A stage text left empty keeps the one shown; a percent below 0 keeps its bar.
    void showStage(const std::string& full, const std::string& poxel);
    void showPercents(int mainPercent, int poxelPercent);

    QLabel* FullProcess = nullptr;
    QProgressBar* ProgressMain = nullptr;
    QLabel* PoxelProcess = nullptr;
    QProgressBar* ProgressPoxel = nullptr;
};

} // namespace lw
