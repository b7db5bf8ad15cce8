// The tree menu's "Replacer...": the find-and-replace window on the selected node.

#include "editor/gui/MainForm.h"

#include "replace/gui/ReplacerForm.h"

namespace lw {

TReplacer* TMainForm::replacer() {
    if (!replacer_)
        replacer_ = new TReplacer(*doc_, this);
    return replacer_;
}

void TMainForm::Replacer1Click() {
    TPoxel* node = treeSelectedPoxel();
    if (!node)
        return;
    TReplacer* window = replacer();
    window->openOn(*node);
    window->exec();
    repaintView();
}

} // namespace lw
