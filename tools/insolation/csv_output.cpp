#include "table_output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

size_t Table::count(Extent extent) const
{
    switch (extent) {
    case Extent::time: return 1;
    case Extent::latitude: return latitude.values.size();
    case Extent::grid: return latitude.values.size() * third.values.size();
    }
    return 0;
}

std::string createTemporaryBeside(const std::string& path, std::string& error)
{
    std::string name = path + ".tmp.XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) {
        error = "cannot write \"" + path + "\": " + std::strerror(errno);
        return "";
    }
    // mkstemp makes the file private; the finished output gets the
    // permissions that creating it directly would have given.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return name;
}

namespace {

class CsvWriter : public TableWriter {
public:
    ~CsvWriter() override
    {
        if (file != nullptr && file != stdout) {
            std::fclose(file);
            std::remove(temporary.c_str());
        }
    }

    bool open(const std::string& path, std::string& error)
    {
        destination = path;
        if (path.empty() || path == "-") {
            file = stdout;
            return true;
        }
        temporary = createTemporaryBeside(path, error);
        if (temporary.empty())
            return false;
        file = std::fopen(temporary.c_str(), "w");
        if (file == nullptr) {
            error = "cannot write \"" + path + "\": " + std::strerror(errno);
            std::remove(temporary.c_str());
        }
        return file != nullptr;
    }

    bool begin(const Table& table, std::string& error) override
    {
        times = table.time.values;
        std::fprintf(file, "# %s\n", table.title.c_str());
        for (const auto& attribute : table.attributes)
            std::fprintf(file, "# %s: %s\n", attribute.first.c_str(), attribute.second.c_str());
        describe(table.time);
        if (!table.latitude.values.empty())
            describe(table.latitude);
        if (!table.third.values.empty())
            describe(table.third);
        for (const Variable& v : table.variables)
            std::fprintf(file, "# column %s...: %s, %s\n", v.name.c_str(), v.longName.c_str(),
                         v.units.c_str());
        std::fprintf(file, "%s", table.time.csvLabel.c_str());
        for (const Variable& v : table.variables)
            writeNames(table, v);
        std::fprintf(file, "\n");
        return check(error);
    }

    bool write(size_t t, const std::vector<std::vector<double>>& values, std::string& error) override
    {
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
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        if (!closed || std::rename(temporary.c_str(), destination.c_str()) != 0) {
            std::remove(temporary.c_str());
            error = "cannot write \"" + destination + "\": " + std::strerror(errno);
            return false;
        }
        return true;
    }

private:
    void describe(const Axis& axis)
    {
        std::fprintf(file, "# %s: %s, %s\n", axis.csvLabel.c_str(), axis.longName.c_str(),
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
                std::fprintf(file, ",%s_%s%g", v.name.c_str(), table.latitude.csvLabel.c_str(), lat);
                continue;
            }
            for (double x : table.third.values)
                std::fprintf(file, ",%s_%s%g_%s%g", v.name.c_str(), table.latitude.csvLabel.c_str(),
                             lat, table.third.csvLabel.c_str(), x);
        }
    }

    bool fail(std::string& error)
    {
        error = "cannot write \"" + (file == stdout ? std::string("standard output") : destination)
                + "\": " + std::strerror(errno);
        return false;
    }

    bool check(std::string& error) { return !std::ferror(file) || fail(error); }

    std::FILE* file = nullptr;
    std::string destination;
    std::string temporary;
    std::vector<double> times;
};

}  // namespace

std::unique_ptr<TableWriter> makeCsvWriter(const std::string& path, std::string& error)
{
    auto writer = std::make_unique<CsvWriter>();
    if (!writer->open(path, error))
        return nullptr;
    return writer;
}
