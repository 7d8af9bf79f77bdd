// The registry of quantities against the tool it drives: for every row, the
// command's help names each argument, one small request succeeds and its
// CSV states every output's long name and units, and the tool's own
// listing names the same quantities.
#include "command_run.h"
#include "insolation/registry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using insolation::ArgumentShape;
using insolation::ArgumentUse;
using insolation::Quantity;

namespace {

CommandRun tool(const std::string& args)
{
    return runCommand(std::string(PALEOVIZ_INSOLATION_TOOL) + " " + args + " 2>&1");
}

// A value for each kind of list argument a small request needs.
std::string sampleOf(const ArgumentUse& use)
{
    const std::string name = use.info->name;
    if (name == "lat")
        return "65,-30";
    if (name == "hour")
        return "6,12";
    return use.shape == ArgumentShape::one ? "90" : "0,90";
}

// The command line of a small request: each list argument once, the
// arguments another excludes left out, numbers at their defaults.
std::string smallRequest(const Quantity& q)
{
    std::string args = std::string(q.name) + " --time -21,0";
    for (const ArgumentUse& use : q.arguments) {
        bool excluded = false;
        for (const ArgumentUse& other : q.arguments)
            excluded = excluded || other.excludes == use.info;
        const bool list = use.shape == ArgumentShape::list || use.shape == ArgumentShape::one;
        if (list && !excluded)
            args += std::string(" ") + use.info->option + " " + sampleOf(use);
    }
    return args;
}

}  // namespace

TEST(Registry, EveryQuantityIsACommandWithItsArgumentsAndLabelledOutputs)
{
    for (const Quantity& q : insolation::quantities()) {
        SCOPED_TRACE(q.name);
        const CommandRun help = tool(std::string(q.name) + " --help");
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find(q.definition), std::string::npos);
        for (const ArgumentUse& use : q.arguments)
            EXPECT_NE(help.out.find(use.info->option), std::string::npos) << use.info->option;
        const CommandRun run = tool(smallRequest(q));
        ASSERT_EQ(run.status, 0) << smallRequest(q) << "\n" << run.out;
        for (const insolation::OutputInfo& o : q.outputsFor(false))
            EXPECT_NE(run.out.find(std::string("# column ") + o.name + "...: " + o.longName + ", " + o.units),
                      std::string::npos)
                << o.name;
    }
}

TEST(Registry, TheToolListsTheQuantitiesItsHelpNames)
{
    const CommandRun listing = tool("quantities --format json");
    const CommandRun help = tool("--help");
    ASSERT_EQ(listing.status, 0);
    for (const Quantity& q : insolation::quantities()) {
        EXPECT_NE(listing.out.find(std::string("{\"name\": \"") + q.name + "\""), std::string::npos) << q.name;
        EXPECT_NE(help.out.find(std::string("  ") + q.name + " "), std::string::npos) << q.name;
    }
}

TEST(Registry, ArgumentsOutsideTheirLimitsAreRefusedByName)
{
    for (const Quantity& q : insolation::quantities()) {
        for (const ArgumentUse& use : q.arguments) {
            if (use.shape != ArgumentShape::list || !std::isfinite(use.info->highest))
                continue;
            SCOPED_TRACE(std::string(q.name) + " " + use.info->option);
            const std::string beyond = std::to_string(use.info->highest + 1);
            std::string args = smallRequest(q) + " " + use.info->option + " " + beyond;
            const CommandRun run = tool(args);
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.out.find(std::string(use.info->option) + ": "), std::string::npos) << run.out;
        }
    }
}
