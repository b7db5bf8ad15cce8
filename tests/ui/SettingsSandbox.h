#pragma once
// Points the program's settings at a fresh private folder for the lifetime of the object, so a
// test starts with no stored values and never touches the user's.

#include "support/TestSupport.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace lwtest {

class SettingsSandbox {
public:
    SettingsSandbox() {
        QStandardPaths::setTestModeEnabled(true);
        const QString path = QString::fromStdString(dir_.path().string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
};

} // namespace lwtest
