#include "table_output.h"

#include "files/atomic_output.h"
#include "value_lists.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Header text on one line: a newline or other control character in a file
// name or a command line is written as a C escape, so it cannot start a
// line of its own.
std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (u < 0x20 || u == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", u);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

class CsvWriter : public TableWriter {
public:
    explicit CsvWriter(bool longRows) : longForm(longRows) {}

    bool open(const std::string& path, std::string& error)
    {
        destination = path;
        if (path.empty() || path == "-") {
            file = stdout;
            return true;
        }
        if (!output.open(path, error))
            return false;
        file = output.stream();
        if (file == nullptr)
            error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return file != nullptr;
    }

    bool begin(const Table& table, std::string& error) override
    {
        times = table.time.values;
        shape = &table;
        std::fprintf(file, "# %s\n", escaped(table.title).c_str());
        for (const auto& attribute : table.attributes)
            std::fprintf(file, "# %s: %s\n", attribute.first.c_str(), escaped(attribute.second).c_str());
        for (const NumberAttribute& n : table.numbers)
            std::fprintf(file, "# %s: %s %s\n", n.name.c_str(), formatNumber(n.value).c_str(), n.units.c_str());
        describe(table.time);
        if (!table.latitude.values.empty())
            describe(table.latitude);
        if (!table.third.values.empty())
            describe(table.third);
        for (const Variable& v : table.variables)
            std::fprintf(file, "# column %s%s: %s, %s\n", v.name.c_str(), longForm ? "" : "...",
                         v.longName.c_str(), v.units.c_str());
        std::fprintf(file, "%s", table.time.csvLabel.c_str());
        if (longForm) {
            for (const Axis* axis : {&table.latitude, &table.third})
                if (!axis->values.empty())
                    std::fprintf(file, ",%s", axis->csvLabel.c_str());
            for (const Variable& v : table.variables)
                std::fprintf(file, ",%s", v.name.c_str());
        } else {
            for (const Variable& v : table.variables)
                writeNames(table, v);
        }
        std::fprintf(file, "\n");
        return check(error);
    }

    bool write(size_t t, const std::vector<std::vector<double>>& values, std::string& error) override
    {
        if (longForm)
            return writeLong(t, values, error);
        std::fprintf(file, "%.10g", times[t]);
        for (const auto& v : values)
            for (double x : v)
                std::fprintf(file, ",%.10g", x);
        std::fprintf(file, "\n");
        return check(error);
    }

    bool finish(std::string& error) override
    {
        if (file == stdout)
            return std::fflush(stdout) == 0 || fail(error);
        file = nullptr;
        return output.commit(error);
    }

private:
    // One row per latitude and longitude or day: the axes' values, then
    // each variable's value there (a variable of fewer axes repeats).
    bool writeLong(size_t t, const std::vector<std::vector<double>>& values, std::string& error)
    {
        const size_t lats = std::max<size_t>(1, shape->latitude.values.size());
        const size_t thirds = std::max<size_t>(1, shape->third.values.size());
        for (size_t i = 0; i < lats; ++i) {
            for (size_t j = 0; j < thirds; ++j) {
                std::fprintf(file, "%.10g", times[t]);
                if (!shape->latitude.values.empty())
                    std::fprintf(file, ",%.10g", shape->latitude.values[i]);
                if (!shape->third.values.empty())
                    std::fprintf(file, ",%.10g", shape->third.values[j]);
                for (size_t k = 0; k < values.size(); ++k) {
                    const Extent extent = shape->variables[k].extent;
                    const size_t at = extent == Extent::time ? 0 : extent == Extent::latitude ? i : i * thirds + j;
                    std::fprintf(file, ",%.10g", values[k][at]);
                }
                std::fprintf(file, "\n");
            }
        }
        return check(error);
    }

    void describe(const Axis& axis)
    {
        std::fprintf(file, "# %s: %s, %s\n", axis.csvLabel.c_str(), escaped(axis.longName).c_str(),
                     axis.units.c_str());
    }

    void writeNames(const Table& table, const Variable& v)
    {
        if (v.extent == Extent::time) {
            std::fprintf(file, ",%s", v.name.c_str());
            return;
        }
        for (double lat : table.latitude.values) {
            if (v.extent == Extent::latitude) {
                std::fprintf(file, ",%s_%s%s", v.name.c_str(), table.latitude.csvLabel.c_str(),
                             formatNumber(lat).c_str());
                continue;
            }
            for (double x : table.third.values)
                std::fprintf(file, ",%s_%s%s_%s%s", v.name.c_str(), table.latitude.csvLabel.c_str(),
                             formatNumber(lat).c_str(), table.third.csvLabel.c_str(), formatNumber(x).c_str());
        }
    }

    bool fail(std::string& error)
    {
        error = "cannot write \"" + (file == stdout ? std::string("standard output") : destination)
                + "\": " + std::strerror(errno);
        return false;
    }

    bool check(std::string& error) { return !std::ferror(file) || fail(error); }

    AtomicOutput output;
    bool longForm;
    const Table* shape = nullptr;
    std::FILE* file = nullptr;  // standard output or output's stream
    std::string destination;
    std::vector<double> times;
};

}  // namespace

std::unique_ptr<TableWriter> makeCsvWriter(const std::string& path, bool longForm, std::string& error)
{
    auto writer = std::make_unique<CsvWriter>(longForm);
    if (!writer->open(path, error))
        return nullptr;
    return writer;
}
