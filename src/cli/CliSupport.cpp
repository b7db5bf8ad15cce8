// Helpers every subcommand shares: output, node addressing, option values and verbs.

#include "cli/Cli.h"

#include "core/MapWriter.h"
#include "textures/TextureListDocument.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace lw::cli {

namespace {
int g_outputErrno = 0;
}

void print(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && g_outputErrno == 0)
        g_outputErrno = errno;
}

int outputErrno() {
    return g_outputErrno;
}

Status saveMap(const TPoxel& root, const std::string& fileName) {
    std::string note;
    Status st = WriteMapFile(root, fileName, &note);
    if (st && !note.empty())
        std::fprintf(stderr, "landwright-cli: note: %s\n", note.c_str());
    return st;
}

Result<TextureBoxList> readTextureList(const std::string& fileName) {
    std::string dropped;
    auto list = readTextureListFile(fileName, &dropped);
    if (list && !dropped.empty())
        std::fprintf(stderr, "landwright-cli: note: '%s': %s\n", fileName.c_str(), dropped.c_str());
    return list;
}

const Command& commandNamed(const char* name) {
    for (const Command& c : commands())
        if (std::string_view(c.name) == name)
            return c;
    return commands().front();
}

int parseArguments(const Command& c, const std::vector<std::string>& words, Args& args) {
    bool onlyPositional = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (onlyPositional || word.size() < 2 || word[0] != '-') {
            args.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            onlyPositional = true;
            continue;
        }
        std::string name = word;
        std::optional<std::string> value;
        if (const size_t equals = word.find('='); word[1] == '-' && equals != std::string::npos) {
            name = word.substr(0, equals);
            value = word.substr(equals + 1);
        }
        if (c.flags.count(name)) {
            if (value)
                return usageError(c, name + " takes no value");
            args.flags.insert(name);
        } else if (c.valueOptions.count(name)) {
            if (!value) {
                if (i + 1 >= words.size())
                    return usageError(c, name + " needs a value");
                value = words[++i];
            }
            args.options[name] = *value;
        } else {
            return usageError(c, "unknown option " + name);
        }
    }
    return ExitOk;
}

int pickVerb(const Args& args, const char* command, std::initializer_list<Verb> verbs,
             int& exitCode) {
    const Command& c = commandNamed(command);
    const std::string& word = args.positional.front();
    int index = 0;
    for (const Verb& v : verbs) {
        if (word == v.name) {
            if (args.positional.size() != v.words + 1) {
                exitCode = usageError(c, std::string(v.name) + " takes " + std::to_string(v.words) +
                                             " arguments");
                return -1;
            }
            return index;
        }
        ++index;
    }
    exitCode = usageError(c, "unknown verb '" + word + "'");
    return -1;
}

Result<NodeRef> nodeAtIndex(TPoxel& root, long index) {
    struct Item {
        TPoxel* node;
        TPoxel* parent;
    };
    std::vector<Item> stack{{&root, nullptr}};
    long n = 0;
    while (!stack.empty()) {
        const Item it = stack.back();
        stack.pop_back();
        if (n++ == index)
            return NodeRef{it.node, it.parent};
        for (auto c = it.node->Children.rbegin(); c != it.node->Children.rend(); ++c)
            stack.push_back({c->get(), it.node});
        for (auto e = it.node->Entities.rbegin(); e != it.node->Entities.rend(); ++e)
            stack.push_back({e->get(), it.node});
    }
    return Error{"sNoSuchNode", "No such node",
                 "node " + std::to_string(index) + " does not exist; the map has " +
                     std::to_string(n) + " nodes (see info)"};
}

Result<long> integerOption(const Args& args, const std::string& option, long fallback) {
    auto it = args.options.find(option);
    if (it == args.options.end())
        return fallback;
    const std::string& text = it->second;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        return Error{"sBadNumber", "Not a number", option + " '" + text + "'"};
    return value;
}

Result<double> numberOption(const Args& args, const std::string& option, double fallback) {
    auto it = args.options.find(option);
    if (it == args.options.end())
        return fallback;
    const std::string& text = it->second;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        return Error{"sBadNumber", "Not a number", option + " '" + text + "'"};
    return value;
}

} // namespace lw::cli
