// The one list of published tables, orbit/published_tables.list: every line
// compiled in as written (publishedTables, and the key, span and elements of
// its registry entry), and the reader CMake builds from it refusing a
// malformed line, quoting it.
#include "command_run.h"
#include "orbit/orbital_elements.h"
#include "orbit/published_tables.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string sourceDir = PALEOVIZ_SOURCE_DIR;

// The table lines of a list, each split at blanks; comments and blank
// lines left out.
std::vector<std::vector<std::string>> tableLines(const std::string& text)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;)
            fields.push_back(word);
        if (!fields.empty() && fields[0][0] != '#')
            lines.push_back(fields);
    }
    return lines;
}

const char* layoutName(orbit::TableLayout layout)
{
    switch (layout) {
    case orbit::TableLayout::laskarColumns: return "laskarColumns";
    case orbit::TableLayout::bergerColumns: return "bergerColumns";
    case orbit::TableLayout::eccentricityList: return "eccentricityList";
    case orbit::TableLayout::zeebeColumns: return "zeebeColumns";
    }
    return "";
}

// Runs of white space as one blank: CMake wraps the messages it prints.
std::string unwrapped(const std::string& text)
{
    std::istringstream in(text);
    std::string words, word;
    while (in >> word)
        words += (words.empty() ? "" : " ") + word;
    return words;
}

// What the CMake reader makes of list: its exit status and what it printed.
CommandRun readList(const ScratchDir& dir, const std::string& list)
{
    dir.write("tables.list", list);
    dir.write("read.cmake", "include(" + sourceDir + "/orbit/published_tables.cmake)\n"
                            "paleoviz_read_published_tables(" + dir.file("tables.list") + ")\n"
                            "message(\"keys ${PUBLISHED_TABLE_KEYS}, future "
                            "${PUBLISHED_TABLE_laskar2004_FUTURE}.\")\n");
    CommandRun run = runCommand(std::string(CMAKE_COMMAND) + " -P " + dir.file("read.cmake"));
    run.out = unwrapped(run.out);
    return run;
}

}  // namespace

TEST(PublishedTableList, EveryLineIsCompiledInAsWritten)
{
    const auto lines = tableLines(readWholeFile(sourceDir + "/orbit/published_tables.list"));
    ASSERT_EQ(int(lines.size()), orbit::publishedTableCount);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string>& f = lines[i];
        ASSERT_EQ(f.size(), 10u) << f[0];
        const orbit::PublishedTable& table = orbit::publishedTables[i];
        EXPECT_EQ(f[0], table.key);
        EXPECT_EQ(f[1], table.symbol);
        EXPECT_EQ(f[2], layoutName(table.layout)) << f[0];
        EXPECT_EQ(f[3], table.past);
        EXPECT_EQ(f[4], table.future != nullptr ? table.future : "-") << f[0];
        EXPECT_EQ(std::stod(f[5]), table.oldest) << f[0];
        EXPECT_EQ(std::stod(f[6]), table.step) << f[0];
        EXPECT_EQ(std::stoi(f[7]), table.records) << f[0];
        const orbit::SolutionInfo* solution = orbit::findSolution(f[0]);
        ASSERT_NE(solution, nullptr) << f[0];
        EXPECT_EQ(&orbit::solutionInfo(solution->id), solution);
        EXPECT_EQ(solution->span.oldest, std::stod(f[5])) << f[0];
        EXPECT_NEAR(solution->span.newest, std::stod(f[5]) + (std::stoi(f[7]) - 1) * std::stod(f[6]),
                    1e-9) << f[0];
        const bool angles = f[2] == "laskarColumns" || f[2] == "bergerColumns";
        EXPECT_EQ(solution->available == orbit::Availability::allElements, angles) << f[0];
    }
}

TEST(PublishedTableList, ReaderRefusesAMalformedLineQuotingIt)
{
    const std::string a(64, 'a'), b(64, 'b');
    const std::string start = "la2004 laskar2004 laskarColumns la2004/p.gz ";
    const std::string good = start + "la2004/f.gz -51000 1 72001 " + a + " " + b + "\n";
    const std::string other = "x x bergerColumns x.txt - -5 1 6 " + a + " -\n";
    struct Case {
        std::string list;
        const char* expected;  // nullptr: read
    };
    const Case cases[] = {
        {"# key symbol ...\n\n" + good + other, nullptr},
        {start + "la2004/f.gz -51000 1 72001 " + a + "\n", "9 fields where 10 are expected"},
        {start + "la2004/f.gz -51000 1 72001 " + a + " " + b + " x\n", "11 fields where 10"},
        {"la2004 2004 laskarColumns la2004/p.gz la2004/f.gz -51000 1 72001 " + a + " " + b + "\n",
         "\"2004\" is not a valid SYMBOL"},
        {start + "la2004/f.gz -51000 1 72001 " + a.substr(1) + " " + b + "\n",
         "is not a valid PAST_SHA256"},
        {"la2004 laskar2004 laskarColumns la\"2004/p.gz - -51000 1 72001 " + a + " -\n",
         "is not a valid PAST"},
        {start + "la2004/f.gz -51000 0.0 72001 " + a + " " + b + "\n", "a step of 0 kyr"},
        {start + "- -51000 1 72001 " + a + " " + b + "\n", "a checksum without a future file"},
        {start + "la2004/f.gz -51000 1 72001 " + a + " -\n", "a future file without its checksum"},
        {good + good, "a key or symbol given twice"},
    };
    ScratchDir dir("paleoviz-table-list");
    for (const Case& c : cases) {
        const CommandRun run = readList(dir, c.list);
        if (c.expected == nullptr) {
            EXPECT_EQ(run.status, 0) << run.out;
            EXPECT_NE(run.out.find("keys la2004;x, future la2004/f.gz."), std::string::npos) << run.out;
            continue;
        }
        EXPECT_NE(run.status, 0) << c.list;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("la2004"), std::string::npos) << run.out;  // the line, quoted
    }
}
