#include "cli/Cli.h"

#include "core/MapReader.h"
#include "core/MapWriter.h"
#include "replace/ReplaceQuery.h"
#include "replace/Replacer.h"

#include <cstdio>

namespace lw::cli {

namespace {} // namespace

int runReplace(const Args& args) {
    const Command& self = commandNamed("replace");
    if (args.has("--syntax")) {
        if (!args.positional.empty() || !args.options.empty())
            return usageError(self, "--syntax takes no other arguments");
        print(replaceSyntaxText("\n") + "\n");
        return ExitOk;
    }
    if (args.positional.size() != 2)
        return usageError(self, "IN and OUT are needed");
    const auto find = args.options.find("--find");
    const auto replace = args.options.find("--replace");
    if (find == args.options.end() || replace == args.options.end())
        return usageError(self, "--find and --replace are needed");
    // The editor's Replace button asks the same of both texts.
    if (!queriesLookRunnable(find->second, replace->second))
        return usageError(self, "a query begins with \"(\", ends with \")\" and contains \"=\"");

    auto index = integerOption(args, "--node", 0);
    if (!index)
        return fail(index.error());
    ReplaceSettings settings;
    if (args.options.count("--seed")) {
        auto seed = integerOption(args, "--seed", 0);
        if (!seed)
            return fail(seed.error());
        if (*seed < 0 || static_cast<long long>(*seed) > 4294967295LL)
            return fail(
                Error{"sBadNumber", "Not a number",
                      "--seed '" + args.options.at("--seed") + "' is not in 0..4294967295"});
        settings.Seed = static_cast<uint32_t>(*seed);
    }

    auto root = readMapFile(args.positional[0]);
    if (!root)
        return fail(root.error());
    auto start = nodeAtIndex(**root, *index);
    if (!start)
        return fail(start.error());

    const ReplaceReport report =
        runReplacer(**root, *start->node, find->second, replace->second, settings);
    // A refused run leaves OUT alone, so its partial changes are not reported either.
    if (!report.Outcome)
        return fail(report.Outcome.error());
    for (const QString& line : report.Log)
        print(line.toStdString() + "\n");
    if (auto st = saveMap(**root, args.positional[1]); !st)
        return fail(st.error());
    return ExitOk;
}

} // namespace lw::cli
