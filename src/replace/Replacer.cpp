#include "replace/Replacer.h"

#include "core/MapRecords.h"
#include "replace/ReplaceQuery.h"
#include "ui/Language.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <unordered_map>
#include <unordered_set>

namespace lw {

namespace {

struct NumericField {
    const char* Key;
    TVec3 TPoxel::*Vec;
    float TVec3::*Axis;
};

constexpr NumericField kNumericFields[] = {
    {"Pos.X", &TPoxel::Pos, &TVec3::X},   {"Pos.Y", &TPoxel::Pos, &TVec3::Y},
    {"Pos.Z", &TPoxel::Pos, &TVec3::Z},   {"Size.X", &TPoxel::Size, &TVec3::X},
    {"Size.Y", &TPoxel::Size, &TVec3::Y}, {"Size.Z", &TPoxel::Size, &TVec3::Z},
    {"Rot.X", &TPoxel::Rot, &TVec3::X},   {"Rot.Y", &TPoxel::Rot, &TVec3::Y},
    {"Rot.Z", &TPoxel::Rot, &TVec3::Z},   {"Clip.X", &TPoxel::Clip, &TVec3::X},
    {"Clip.Y", &TPoxel::Clip, &TVec3::Y}, {"Clip.Z", &TPoxel::Clip, &TVec3::Z},
};

const NumericField* numericField(std::string_view key) {
    for (const NumericField& f : kNumericFields)
        if (equalsNoCase(key, f.Key))
            return &f;
    return nullptr;
}

float& fieldOf(TPoxel& node, const NumericField& f) {
    return node.*(f.Vec).*(f.Axis);
}

enum class Op {
    Name,
    LibName,
    Numeric,
    TextCoord,
    Surface,
    Color,
    Texture,
    TextureLevel,
    Hlevel,
    Poxel,
};

std::optional<Op> replaceOp(std::string_view key) {
    static const std::pair<const char*, Op> ops[] = {
        {"Name", Op::Name},
        {"EmitterBazeStr", Op::LibName},
        {"TextCoord", Op::TextCoord},
        {"Surface", Op::Surface},
        {"Color", Op::Color},
        {"Texture", Op::Texture},
        {"TextureLevel", Op::TextureLevel},
        {"Hlevel", Op::Hlevel},
        {"Poxel", Op::Poxel},
    };
    for (const auto& [name, op] : ops)
        if (equalsNoCase(key, name))
            return op;
    if (numericField(key))
        return Op::Numeric;
    return std::nullopt;
}

bool isFindKey(std::string_view key) {
    for (const char* name : {"Name", "EmitterBazeStr", "Dummy", "Emitter", "Poxel"})
        if (equalsNoCase(key, name))
            return true;
    return numericField(key) != nullptr;
}

// A query the walk would read otherwise than it was written is refused before the walk, naming
// the part: a misspelt key or a malformed group used to change nothing without a word.
Status checkQuery(std::string_view text, bool replace) {
    const char* which = replace ? "the replace query" : "the find query";
    const QueryScan scan = ScanQuery(text, replace);
    if (!scan.Skipped.empty())
        return Error{"sReplaceMalformed", "Malformed group",
                     "\"" + scan.Skipped + "\" in " + which + "; a group reads (Key=Value), " +
                         "groups are joined by &"};
    if (scan.TooMany)
        return Error{"sReplaceTooManyGroups", "Too many groups",
                     std::string(which) + " has more than " + std::to_string(kMaxQueryGroups)};
    for (size_t i = 0; i < scan.Groups.size(); ++i) {
        const std::string& key = scan.Groups[i].Key;
        if (replace && equalsNoCase(key, "Zoom")) {
            if (i == 0 && scan.Groups.size() == 1)
                continue;
            return Error{"sReplaceZoomAlone", "Zoom stands alone",
                         "\"Zoom\" makes the whole replace query; write it as its only group"};
        }
        if (replace ? !replaceOp(key) : !isFindKey(key))
            return Error{"sReplaceUnknownKey", "Unknown key", "\"" + key + "\" in " + which};
    }
    return Ok{};
}

// A replace group with its key resolved.
struct ReplaceStep {
    QueryGroup Group;
    Op Kind;
    const NumericField* Field; // numeric keys only
};

std::string named(const TPoxel& node) {
    return "\"" + node.Name + "\" (id " + std::to_string(node.Serial) + ")";
}

// The cell operations index Voxels and Heights by the dimensions.
bool arraysMatch(const TPoxel& p) {
    if (p.Voxels.size() != size_t(p.NX) * size_t(p.NY) * size_t(p.NZ) ||
        p.Heights.size() != size_t(p.NX) + 1)
        return false;
    for (const auto& column : p.Heights)
        if (column.size() != size_t(p.NZ) + 1)
            return false;
    return true;
}

// Nodes, cells and the memory they take (estimated as a decode counts it) of a subtree.
struct SubtreeSize {
    size_t nodes = 0;
    size_t cells = 0;
    size_t bytes = 0;
};

void subtreeSize(const TPoxel& node, SubtreeSize& size) {
    std::vector<const TPoxel*> stack{&node};
    while (!stack.empty()) {
        const TPoxel* p = stack.back();
        stack.pop_back();
        ++size.nodes;
        size.cells += p->Voxels.size();
        size.bytes += estimatedNodeBytes(p->NX, p->NY, p->NZ) + p->Name.size() + p->LibName.size();
        for (const auto& e : p->Entities)
            stack.push_back(e.get());
        for (const auto& c : p->Children)
            stack.push_back(c.get());
    }
}

class Replacer {
public:
    Replacer(TPoxel& root, TPoxel& start, const ReplaceSettings& settings, ReplaceJournal& journal,
             ReplaceReport& report)
        : root_(root), start_(start), settings_(settings), journal_(journal), report_(report) {
        if (settings.Seed)
            random_.seed(*settings.Seed);
        else
            random_.seed(std::random_device{}());
    }

    Status run(std::string_view findText, std::string_view replaceText) {
        for (const bool replace : {false, true})
            if (auto st = checkQuery(replace ? replaceText : findText, replace); !st)
                return st;
        indexIds(root_);
        indexParents(root_);
        for (const TPoxel* other : settings_.OtherRoots)
            if (other)
                indexIds(*other);
        if (&start_ != &root_ && !parentOf_.count(&start_))
            return Error{"sReplaceStart", "Cannot replace", "the start node is not in the map"};
        subtreeSize(root_, size_);

        find_ = ParseFindQuery(findText);
        // Keys are resolved once, not per node.
        for (QueryGroup& g : ParseReplaceQuery(replaceText))
            if (const std::optional<Op> op = replaceOp(g.Key)) {
                const NumericField* field = numericField(g.Key);
                replace_.push_back({std::move(g), *op, field});
            }
        changePattern_ = langText("[sChangeStr]");
        return ApplyReplacer(start_);
    }

private:
    // Depth first from `start`: a node, then its children, then (unless it is an entity) its
    // entities. Nodes copied in by this run are skipped, so the walk always ends.
    Status ApplyReplacer(TPoxel& start) {
        std::vector<TPoxel*> stack{&start};
        while (!stack.empty()) {
            TPoxel* node = stack.back();
            stack.pop_back();
            bool deleted = false;
            if (auto st = MatchAndReplace(*node, deleted); !st)
                return st;
            if (deleted)
                continue;
            if (!node->IsEntity)
                pushOriginals(node->Entities, stack);
            pushOriginals(node->Children, stack);
        }
        return Ok{};
    }

    void pushOriginals(const TArrayPoxel& list, std::vector<TPoxel*>& stack) const {
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (!created_.count(it->get()))
                stack.push_back(it->get());
    }

    Status MatchAndReplace(TPoxel& node, bool& deleted) {
        for (const QueryGroup& g : find_) {
            auto holds = conditionHolds(node, g);
            if (!holds)
                return holds.error();
            if (!*holds)
                return Ok{};
        }
        if (replace_.empty())
            return Ok{};
        // The node's fields before its first change; a refused step leaves the entry, so that
        // what the node's earlier steps did can be taken back too.
        journal_.Changes.push_back({&node, node.content()});
        for (const ReplaceStep& step : replace_) {
            log(node);
            bool stop = false;
            if (auto st = apply(node, step, stop, deleted); !st)
                return st;
            if (stop)
                break;
        }
        if (journal_.Changes.back().Before == node.content())
            journal_.Changes.pop_back(); // for instance a name set to the one it had
        return Ok{};
    }

    Result<bool> conditionHolds(const TPoxel& node, const QueryGroup& g) const {
        if (equalsNoCase(g.Key, "Name"))
            return node.Name == g.Value;
        if (equalsNoCase(g.Key, "EmitterBazeStr"))
            return node.LibName == g.Value;
        if (equalsNoCase(g.Key, "Dummy"))
            return node.IsGroup == equalsNoCase(g.Value, "True");
        if (equalsNoCase(g.Key, "Emitter"))
            return node.IsEntity == equalsNoCase(g.Value, "True");
        if (equalsNoCase(g.Key, "Poxel"))
            return equalsNoCase(g.Value, "Any");
        if (const NumericField* f = numericField(g.Key)) {
            // The typed value in extended precision against the widened field: 0.5 can match,
            // 0.1 never does.
            auto v = readExtended(g.Value, settings_.DecimalPoint);
            if (!v)
                return v.error();
            return static_cast<long double>(node.*(f->Vec).*(f->Axis)) == *v;
        }
        return false;
    }

    void log(const TPoxel& node) {
        const QString line =
            formatChangeLine(changePattern_, int(report_.Log.size()),
                             QString::fromLatin1(node.Name.data(), qsizetype(node.Name.size())));
        report_.Log.append(line);
    }

    Status apply(TPoxel& node, const ReplaceStep& step, bool& stop, bool& deleted) {
        const QueryGroup& g = step.Group;
        const Op op = step.Kind;
        switch (op) {
        case Op::Name:
            node.Name = g.Value;
            return Ok{};
        case Op::LibName:
            node.LibName = g.Value;
            return Ok{};
        case Op::Numeric:
            return applyArithmetic(node, *step.Field, g);
        case Op::TextCoord:
        case Op::Surface:
        case Op::Color: {
            auto source = sourceNode(g.Value);
            if (!source)
                return source.error();
            const TPoxel& s = **source;
            if (op == Op::TextCoord) {
                node.TextCoord = s.TextCoord;
            } else if (op == Op::Surface) {
                node.Surface = s.Surface;
                node.Surface2 = s.Surface2;
                node.Color = s.Color;
            } else {
                node.Color = s.Color;
            }
            return Ok{};
        }
        case Op::Texture:
        case Op::TextureLevel:
        case Op::Hlevel: {
            if (!arraysMatch(node))
                return Error{"sReplaceCells", "Cannot replace",
                             named(node) + " has arrays that do not match its dimensions"};
            return op == Op::Texture        ? remapTextures(node, g.Value)
                   : op == Op::TextureLevel ? retextureLevels(node, g.Value)
                                            : cutBelow(node, g);
        }
        case Op::Poxel:
            stop = true;
            if (equalsNoCase(g.Value, "Delete"))
                return markForDeletion(node, deleted);
            return copyContent(node, g.Value);
        }
        return Ok{};
    }

    // r / 100 * v for "[v]", r drawn uniformly from 0..99 at each use.
    Result<long double> numericValue(std::string_view text) {
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            auto v = readExtended(text.substr(1, text.size() - 2), settings_.DecimalPoint);
            if (!v)
                return v;
            return static_cast<long double>(drawPercent()) / 100 * *v;
        }
        return readExtended(text, settings_.DecimalPoint);
    }

    int drawPercent() {
        // Rejection keeps the draw uniform and the same for a seed on every platform.
        constexpr uint32_t limit = 4294967200u; // 100 * floor(2^32 / 100)
        uint32_t x = 0;
        do {
            x = static_cast<uint32_t>(random_());
        } while (x >= limit);
        return static_cast<int>(x % 100);
    }

    Status applyArithmetic(TPoxel& node, const NumericField& f, const QueryGroup& g) {
        auto v = numericValue(g.Value);
        if (!v)
            return v.error();
        float& field = fieldOf(node, f);
        const long double old = field;
        long double result = *v;
        switch (g.Operator) {
        case '*':
            result = *v * old;
            break;
        case '+':
            result = *v + old;
            break;
        case '-':
            result = old - *v;
            break;
        case '/':
            if (*v == 0)
                return floatError(old == 0 ? "Invalid floating point operation"
                                           : "Floating point division by zero",
                                  node, f);
            result = old / *v;
            break;
        default:
            break;
        }
        // A value beyond float32 would be stored as infinity or NaN, which no map can hold.
        const float stored = static_cast<float>(result);
        if (std::isnan(stored))
            return floatError("Invalid floating point operation", node, f);
        if (std::isinf(stored))
            return floatError("Floating point overflow", node, f);
        field = stored;
        return Ok{};
    }

    static Error floatError(const char* text, const TPoxel& node, const NumericField& f) {
        return Error{"sFloatError", text, std::string(f.Key) + " of " + named(node)};
    }

    Result<const TPoxel*> sourceNode(std::string_view text) const {
        auto id = readInteger(text);
        if (!id)
            return id.error();
        auto it = byId_.find(*id);
        if (it == byId_.end())
            return Error{"sNoSuchId", "No such node",
                         "no node has the identity number " + std::to_string(*id)};
        return it->second;
    }

    // Both bytes of every cell compare against its code before the change, so a pair list can
    // swap two textures; a later pair with the same source wins.
    static Status remapTextures(TPoxel& node, std::string_view value) {
        auto pairs = readTextureMapping(value);
        if (!pairs)
            return pairs.error();
        for (uint32_t& cell : node.Voxels) {
            const uint32_t low = cell & 0xFFu, high = (cell >> 8) & 0xFFu;
            uint32_t newLow = low, newHigh = high;
            for (const TexturePair& p : *pairs) {
                if (low == uint32_t(p.From))
                    newLow = uint32_t(p.To);
                if (high == uint32_t(p.From))
                    newHigh = uint32_t(p.To);
            }
            cell = (cell & ~0xFFFFu) | (newHigh << 8) | newLow;
        }
        return Ok{};
    }

    static Status retextureLevels(TPoxel& node, std::string_view value) {
        auto pairs = readTextureMapping(value);
        if (!pairs)
            return pairs.error();
        for (const TexturePair& p : *pairs) {
            const int32_t level = (p.From + 1) / 4;
            if (level < 0 || level >= node.NY)
                continue;
            for (int32_t z = 0; z < node.NZ; ++z)
                for (int32_t x = 0; x < node.NX; ++x) {
                    uint32_t& cell = node.Voxels[node.cellIndex(x, level, z)];
                    if (cell & 0xFFu)
                        cell = uint32_t(p.To);
                }
        }
        return Ok{};
    }

    // Empties every cell whose four lattice columns all lie below the height.
    Status cutBelow(TPoxel& node, const QueryGroup& g) const {
        // The group's own sign belongs to the number; "*" or "/" makes it unreadable.
        const std::string text = (g.Operator ? std::string(1, g.Operator) : "") + g.Value;
        auto h = readExtended(text, settings_.DecimalPoint);
        if (!h)
            return h.error();
        const double level = static_cast<float>(*h);
        for (int32_t z = 0; z < node.NZ; ++z)
            for (int32_t x = 0; x < node.NX; ++x) {
                const float corners[4] = {node.Heights[x][z], node.Heights[x + 1][z],
                                          node.Heights[x][z + 1], node.Heights[x + 1][z + 1]};
                for (int32_t y = 0; y < node.NY; ++y) {
                    bool below = true;
                    for (float c : corners)
                        below = below && double(y) + double(c) < level;
                    if (below)
                        node.Voxels[node.cellIndex(x, y, z)] = 0;
                }
            }
        return Ok{};
    }

    Status markForDeletion(TPoxel& node, bool& deleted) {
        if (&node == &start_ || &node == &root_ || node.IsRoot)
            return Error{"sReplaceDelete", "Cannot delete",
                         named(node) + (&node == &start_ ? " is the node the run starts from"
                                                         : " is the map's root")};
        journal_.Deletions.push_back({parentOf_.at(&node), &node});
        deleted = true;
        return Ok{};
    }

    Status copyContent(TPoxel& node, std::string_view value) {
        auto found = sourceNode(value);
        if (!found)
            return found.error();
        const TPoxel* source = *found;
        // A node's kind decides the list it lives in; mixing them leaves a map that cannot be
        // saved.
        if (source->IsEntity != node.IsEntity)
            return Error{"sReplaceKind", "Cannot replace",
                         named(node) + (node.IsEntity ? " is an entity" : " is not an entity") +
                             " and " + named(*source) + (source->IsEntity ? " is" : " is not")};
        SubtreeSize sourceSize;
        if (source->IsEntity)
            sourceSize = {1, 0, estimatedNodeBytes(1, 1, 1)};
        else
            subtreeSize(*source, sourceSize);
        // The target keeps its lists and takes the source's own content in place of its own.
        SubtreeSize after;
        after.nodes = size_.nodes + sourceSize.nodes - 1;
        after.cells = size_.cells - std::min(size_.cells, node.Voxels.size()) + sourceSize.cells;
        after.bytes = size_.bytes -
                      std::min(size_.bytes, estimatedNodeBytes(node.NX, node.NY, node.NZ)) +
                      sourceSize.bytes;
        if (after.nodes > kMaxDecodedNodes || after.cells > kMaxDecodedCells)
            return Error{"sReplaceTooLarge", "Map too large",
                         "copying " + named(*source) + " into " + named(node) + " would give " +
                             std::to_string(after.nodes) + " nodes and " +
                             std::to_string(after.cells) + " cells; a map holds at most " +
                             std::to_string(kMaxDecodedNodes) + " nodes and " +
                             std::to_string(kMaxDecodedCells) + " cells"};
        if (after.bytes > kMaxDecodedBytes)
            return Error{"sReplaceTooLarge", "Map too large",
                         "copying " + named(*source) + " into " + named(node) +
                             " would make the map take more than " +
                             std::to_string(kMaxDecodedBytes >> 20) +
                             " MiB in memory, the most a map may take"};

        const size_t oldEntities = node.Entities.size(), oldChildren = node.Children.size();
        CopyPoxelContent(node, *source, nullptr);
        for (size_t i = oldEntities; i < node.Entities.size(); ++i)
            adoptCopy(node, *node.Entities[i]);
        for (size_t i = oldChildren; i < node.Children.size(); ++i)
            adoptCopy(node, *node.Children[i]);
        size_ = after;
        return Ok{};
    }

    // A copy made by this run: never visited, but its nodes can be named by identity number.
    void adoptCopy(TPoxel& parent, TPoxel& copy) {
        journal_.Copies.push_back({&parent, &copy});
        std::vector<TPoxel*> stack{&copy};
        while (!stack.empty()) {
            TPoxel* p = stack.back();
            stack.pop_back();
            created_.insert(p);
            byId_[p->Serial] = p;
            for (auto it = p->Children.rbegin(); it != p->Children.rend(); ++it)
                stack.push_back(it->get());
            for (auto it = p->Entities.rbegin(); it != p->Entities.rend(); ++it)
                stack.push_back(it->get());
        }
    }

    void indexIds(const TPoxel& top) {
        std::vector<const TPoxel*> stack{&top};
        while (!stack.empty()) {
            const TPoxel* p = stack.back();
            stack.pop_back();
            byId_[p->Serial] = p;
            for (const TArrayPoxel* list : {&p->Entities, &p->Children})
                for (const auto& c : *list)
                    stack.push_back(c.get());
        }
    }

    void indexParents(TPoxel& top) {
        std::vector<TPoxel*> stack{&top};
        while (!stack.empty()) {
            TPoxel* p = stack.back();
            stack.pop_back();
            for (TArrayPoxel* list : {&p->Entities, &p->Children})
                for (auto& c : *list) {
                    parentOf_[c.get()] = p;
                    stack.push_back(c.get());
                }
        }
    }

    TPoxel& root_;
    TPoxel& start_;
    const ReplaceSettings& settings_;
    ReplaceJournal& journal_;
    ReplaceReport& report_;
    TQuery find_;
    // The replace groups with known keys (the others are ignored), in query order.
    std::vector<ReplaceStep> replace_;
    QString changePattern_;
    std::mt19937 random_;
    std::unordered_map<int32_t, const TPoxel*> byId_;
    std::unordered_map<const TPoxel*, TPoxel*> parentOf_;
    std::unordered_set<const TPoxel*> created_;
    SubtreeSize size_;
};

} // namespace

ReplaceReport walkReplacer(TPoxel& root, TPoxel& start, std::string_view find,
                           std::string_view replace, const ReplaceSettings& settings,
                           ReplaceJournal& journal) {
    ReplaceReport report;
    Replacer replacer(root, start, settings, journal, report);
    report.Outcome = replacer.run(find, replace);
    return report;
}

std::vector<std::unique_ptr<TPoxel>> takeBackWalk(ReplaceJournal& journal) {
    // Copies leave last first: each sits at the end of its list when its turn comes.
    std::vector<std::unique_ptr<TPoxel>> copies(journal.Copies.size());
    for (size_t i = journal.Copies.size(); i-- > 0;) {
        const ReplaceJournal::Copied& c = journal.Copies[i];
        for (TArrayPoxel* list : {&c.Parent->Entities, &c.Parent->Children}) {
            const auto it = std::find_if(list->rbegin(), list->rend(),
                                         [&c](const auto& p) { return p.get() == c.Node; });
            if (it != list->rend()) {
                copies[i] = std::move(*it);
                list->erase(std::next(it).base());
                break;
            }
        }
    }
    for (auto it = journal.Changes.rbegin(); it != journal.Changes.rend(); ++it)
        std::swap(it->Node->content(), it->Before);
    return copies;
}

ReplaceReport runReplacer(TPoxel& root, TPoxel& start, std::string_view find,
                          std::string_view replace, const ReplaceSettings& settings) {
    ReplaceJournal journal;
    ReplaceReport report = walkReplacer(root, start, find, replace, settings, journal);
    if (!report.Outcome)
        return report;
    for (const ReplaceJournal::Marked& d : journal.Deletions)
        if (RemovePoxel(*d.Parent, d.Node))
            ++report.Removed;
    return report;
}

QString formatChangeLine(const QString& pattern, int number, const QString& name) {
    return formatLangText(pattern, {QString::number(number), name});
}

} // namespace lw
