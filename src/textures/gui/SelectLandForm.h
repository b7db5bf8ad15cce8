#pragma once
// The land library chooser and the game folder chooser it shares with the texture browser.

#include "textures/GameFolder.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QPushButton;

namespace lw {

// Asks for one of the game's data folders (bundles, themes or TGA files), starting at the
// stored "PathBundles". A folder is accepted only when it has one of those layouts; the accepted
// folder is stored again. Returns false when the user cancels.
bool ChooseGameFolder(QWidget* parent, const QString& prompt, QString& folder,
                      GameFolderLayout* layout = nullptr);

class TSelectLandForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectLandForm(QWidget* parent = nullptr);

    // The folder is asked first; then the land. True with both filled on OK.
    static bool choose(QWidget* parent, QString* land, QString* folder);

    QString landName() const { return land_; }
    QString folder() const { return folder_; }
    bool cancelled() const { return cancelled_; }
    // Sets the folder without asking (tests, or a caller that knows it).
    void setFolder(const QString& folder) { folder_ = folder; }

public slots:
    void LoadButClick();

private:
    QComboBox* LandName;
    QPushButton* LoadBut;
    QString land_;
    QString folder_;
    QString prompt_;
    bool cancelled_ = false;
};

} // namespace lw
