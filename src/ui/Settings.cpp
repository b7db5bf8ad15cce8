#include "ui/Settings.h"

#include <cmath>

namespace lw {

Settings::Settings()
    : store_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvell"),
             QStringLiteral("Landwright")) {}

bool Settings::contains(const QString& name) const {
    return store_.contains(name);
}

std::optional<QString> Settings::string(const QString& name) const {
    if (!store_.contains(name))
        return std::nullopt;
    return store_.value(name).toString();
}

std::optional<qint64> Settings::integer(const QString& name) const {
    if (!store_.contains(name))
        return std::nullopt;
    bool ok = false;
    const qint64 v = store_.value(name).toString().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<double> Settings::number(const QString& name) const {
    if (!store_.contains(name))
        return std::nullopt;
    bool ok = false;
    const double v = store_.value(name).toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

void Settings::setNumber(const QString& name, double value) {
    setString(name, QString::number(value, 'g', 17));
}

void Settings::setString(const QString& name, const QString& value) {
    store_.setValue(name, value);
    store_.sync();
}

void Settings::setInteger(const QString& name, qint64 value) {
    store_.setValue(name, value);
    store_.sync();
}

} // namespace lw
