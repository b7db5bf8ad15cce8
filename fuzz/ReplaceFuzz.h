#pragma once
// Find and replace queries, run over the demo map. The input is the find query, a line break
// and the replace query; "#n" stands for the identity number of the map's n-th node in
// pre-order, so that inputs can name nodes whatever numbers a run hands out.

#include "Fuzz.h"

#include "core/MapGenerator.h"
#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "core/Xom.h"
#include "replace/ReplaceQuery.h"
#include "replace/Replacer.h"

namespace lwfuzz {

inline std::vector<lw::TPoxel*> preOrder(lw::TPoxel& root) {
    std::vector<lw::TPoxel*> out, stack{&root};
    while (!stack.empty()) {
        lw::TPoxel* p = stack.back();
        stack.pop_back();
        out.push_back(p);
        for (auto it = p->Children.rbegin(); it != p->Children.rend(); ++it)
            stack.push_back(it->get());
        for (auto it = p->Entities.rbegin(); it != p->Entities.rend(); ++it)
            stack.push_back(it->get());
    }
    return out;
}

inline std::string withIdentities(const std::string& query, const std::vector<lw::TPoxel*>& nodes) {
    std::string out;
    for (size_t i = 0; i < query.size(); ++i) {
        if (query[i] == '#' && i + 1 < query.size() && query[i + 1] >= '0' && query[i + 1] <= '9') {
            out += std::to_string(nodes[size_t(query[i + 1] - '0') % nodes.size()]->Serial);
            ++i;
        } else {
            out += query[i];
        }
    }
    return out;
}

inline void runReplaceQuery(const uint8_t* data, size_t size) {
    InputSplitter in(data, size);
    const uint8_t startChoice = in.byte();
    const std::string text = in.restText();
    const size_t cut = text.find('\n');
    auto root = lw::makeDemoMap();
    const std::vector<lw::TPoxel*> nodes = preOrder(*root);
    const std::string find = withIdentities(text.substr(0, cut), nodes);
    const std::string replace =
        cut == std::string::npos ? std::string() : withIdentities(text.substr(cut + 1), nodes);

    for (const lw::QueryGroup& g : lw::ParseReplaceQuery(replace)) {
        (void)lw::readTextureMapping(g.Value);
        (void)lw::readExtended(g.Value, ',');
        (void)lw::readInteger(g.Value);
    }
    lw::ReplaceSettings settings;
    settings.Seed = 7;
    lw::TPoxel& start = *nodes[startChoice % nodes.size()];
    const lw::ReplaceReport report = lw::runReplacer(*root, start, find, replace, settings);
    (void)report;
    // Whatever the run did, the map is whole: it saves, or is refused with a reason, and what
    // was saved reads back.
    auto saved = lw::encodeMap(*root);
    if (!saved)
        return;
    auto table = lw::parseXom(*saved, lw::XomMode::Map);
    require(table && lw::decodeMapRoot(*table, lw::CounterMode::Keep).ok(),
            "a map saved after a replacer run reads back");
}

} // namespace lwfuzz
