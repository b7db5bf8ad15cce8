#include "ui/LangRegistry.h"

#include "ui/Language.h"

#include <algorithm>

namespace lw {

void LangRegistry::add(const QString& key, QObject* target, Setter setter) {
    if (!target || !setter)
        return;
    entries_.push_back(Entry{key, target, std::move(setter)});
}

void LangRegistry::remove(const QObject* target) {
    std::erase_if(entries_,
                  [target](const Entry& e) { return e.target.isNull() || e.target == target; });
}

void LangRegistry::prune() {
    std::erase_if(entries_, [](const Entry& e) { return e.target.isNull(); });
}

void LangRegistry::apply(const Language& language) {
    prune();
    // Index loop: a setter may register further entries (a window built on first use).
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].target.isNull()) {
            const Setter setter = entries_[i].setter;
            setter(language.text(entries_[i].key));
        }
    }
}

int LangRegistry::size() const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                          [](const Entry& e) { return !e.target.isNull(); }));
}

std::vector<QString> LangRegistry::keysOf(const QObject* target) const {
    std::vector<QString> keys;
    for (const Entry& e : entries_)
        if (!e.target.isNull() && e.target == target)
            keys.push_back(e.key);
    return keys;
}

LangRegistry& appLangRegistry() {
    static LangRegistry registry;
    return registry;
}

} // namespace lw
