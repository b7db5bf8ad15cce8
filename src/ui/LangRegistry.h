#pragma once
// Which key sets which text of which control. Every window registers its texts when it is built;
// applying the language walks the registry in registration order, so windows added later join
// by registering and an assignment registered later wins over an earlier one for the same text.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

namespace lw {

class Language;

class LangRegistry {
public:
    using Setter = std::function<void(const QString& text)>;

    // Registers one assignment: on apply, `setter` receives the text of `key`. `target` is the
    // object the setter writes into (a control, a window, or the owner of a stored string); the
    // entry is dropped once it is destroyed.
    void add(const QString& key, QObject* target, Setter setter);
    // Removes every assignment into `target` (a window being rebuilt, for instance).
    void remove(const QObject* target);

    // Pushes the current texts into all registered targets, in registration order.
    void apply(const Language& language);

    // Live assignments.
    int size() const;
    // The keys registered for `target`, in order; for tests and checks of a window's wiring.
    std::vector<QString> keysOf(const QObject* target) const;

private:
    struct Entry {
        QString key;
        QPointer<QObject> target;
        Setter setter;
    };
    void prune();

    std::vector<Entry> entries_;
};

// The registry of the running program; windows register here.
LangRegistry& appLangRegistry();

} // namespace lw
