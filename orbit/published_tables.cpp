#include "orbit/published_tables.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace orbit {

namespace {

// Both come from the same list, so a table's TableId is its index.
constexpr bool idsInOrder()
{
    for (int i = 0; i < publishedTableCount; ++i) {
        if (static_cast<int>(publishedTables[i].id) != i)
            return false;
    }
    return true;
}
static_assert(idsInOrder(), "publishedTables is not in TableId order");

// Times are printed with two or three decimals.
constexpr double timeTolerance = 0.006;
constexpr int maxFields = 5;

bool isGzip(FileBytes bytes)
{
    return bytes.size >= 2 && bytes.data[0] == 0x1f && bytes.data[1] == 0x8b;
}

bool gunzip(FileBytes bytes, std::string& text)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<unsigned char*>(bytes.data);
    stream.avail_in = static_cast<uInt>(bytes.size);
    text.assign(std::max<std::size_t>(bytes.size * 4, 1024), '\0');
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == text.size())
            text.resize(text.size() * 2);
        stream.next_out = reinterpret_cast<unsigned char*>(&text[stream.total_out]);
        stream.avail_out = static_cast<uInt>(text.size() - stream.total_out);
        status = inflate(&stream, Z_NO_FLUSH);
    }
    text.resize(stream.total_out);
    inflateEnd(&stream);
    return status == Z_STREAM_END;
}

// parseNumbers of a line whose exponents are all written E.
bool parseExponentE(const char* p, int count, double* fields)
{
    for (int k = 0; k < count; ++k) {
        char* end = nullptr;
        fields[k] = std::strtod(p, &end);
        if (end == p || !std::isfinite(fields[k]))
            return false;
        if (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end)))
            return false;
        p = end;
    }
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return *p == '\0';
}

}  // namespace

bool parseNumbers(const std::string& line, int count, double* fields)
{
    // Most tables write E: those lines are read in place, with no copy.
    if (line.find('D') == std::string::npos)
        return parseExponentE(line.c_str(), count, fields);
    std::string text = line;
    std::replace(text.begin(), text.end(), 'D', 'E');
    return parseExponentE(text.c_str(), count, fields);
}

namespace {

// One file's rows, newest first as published, checked row by row.
struct FileReader {
    std::string name;
    std::string text;
    std::size_t at = 0;
    int lineNumber = 0;
    std::string message;

    bool nextLine(std::string& line)
    {
        if (at >= text.size())
            return false;
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        line.assign(text, at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        at = end + 1;
        ++lineNumber;
        return true;
    }
    bool fail(const std::string& what)
    {
        message = name + " line " + std::to_string(lineNumber) + ": " + what;
        return false;
    }
};

bool open(FileBytes bytes, const char* name, FileReader& reader)
{
    reader.name = name;
    if (!isGzip(bytes)) {
        reader.text.assign(reinterpret_cast<const char*>(bytes.data), bytes.size);
        return true;
    }
    if (gunzip(bytes, reader.text))
        return true;
    reader.message = std::string(name) + ": cannot decompress";
    return false;
}

struct Layout {
    int fields;        // numbers per row
    int timeField;     // -1: the row number gives the time
    double direction;  // sign of the times in the file
    char header;       // first character of header lines, or 0
    int eField, perihelionField, obliquityField;  // -1 when absent
};

Layout layoutOf(TableLayout layout)
{
    switch (layout) {
    case TableLayout::laskarColumns: return {4, 0, -1.0, 0, 1, 3, 2};
    case TableLayout::bergerColumns: return {5, 0, -1.0, '#', 1, 2, 3};
    case TableLayout::eccentricityList: return {1, -1, -1.0, '"', 0, -1, -1};
    case TableLayout::zeebeColumns: return {3, 0, 1.0, '%', 1, -1, -1};
    }
    return {};
}

// Reads rows j = 0 .. rows - 1 at times direction * j * step, appending them
// to records newest first.
bool readRows(FileReader& reader, const Layout& layout, double direction, double step, int rows,
              TableRecords& records)
{
    std::string line;
    double fields[maxFields];
    int j = 0;
    records.eccentricity.reserve(records.eccentricity.size() + static_cast<size_t>(rows));
    if (layout.perihelionField >= 0) {
        records.perihelion.reserve(records.perihelion.size() + static_cast<size_t>(rows));
        records.obliquity.reserve(records.obliquity.size() + static_cast<size_t>(rows));
    }
    while (reader.nextLine(line)) {
        if (layout.header != 0 && !line.empty() && line[0] == layout.header)
            continue;
        if (line.find_first_not_of(" \t") == std::string::npos && reader.at >= reader.text.size())
            break;
        if (!parseNumbers(line, layout.fields, fields))
            return reader.fail("expected " + std::to_string(layout.fields) + " numbers");
        if (j == rows)
            return reader.fail("more than the " + std::to_string(rows) + " rows expected");
        const double expected = direction * j * step;
        if (layout.timeField >= 0 && std::fabs(fields[layout.timeField] - expected) > timeTolerance)
            return reader.fail("time " + std::to_string(fields[layout.timeField]) + " kyr where " +
                               std::to_string(expected) + " was expected");
        const double e = fields[layout.eField];
        if (!(e >= 0.0 && e < 1.0))
            return reader.fail("eccentricity outside [0, 1)");
        records.eccentricity.push_back(e);
        if (layout.perihelionField >= 0) {
            records.perihelion.push_back(fields[layout.perihelionField]);
            records.obliquity.push_back(fields[layout.obliquityField]);
        }
        ++j;
    }
    if (j != rows)
        return reader.fail("the table ends after " + std::to_string(j) + " rows; " +
                           std::to_string(rows) + " are expected");
    return true;
}

void reverse(TableRecords& records)
{
    std::reverse(records.eccentricity.begin(), records.eccentricity.end());
    std::reverse(records.perihelion.begin(), records.perihelion.end());
    std::reverse(records.obliquity.begin(), records.obliquity.end());
}

}  // namespace

bool parseTable(const PublishedTable& table, FileBytes past, FileBytes future,
                TableRecords& records, std::string& message)
{
    records = TableRecords();
    const Layout layout = layoutOf(table.layout);
    const int pastRows = static_cast<int>(std::lround(-table.oldest / table.step)) + 1;
    FileReader reader;
    if (!open(past, table.past, reader) ||
        !readRows(reader, layout, layout.direction, table.step, pastRows, records)) {
        message = reader.message;
        return false;
    }
    reverse(records);
    if (table.future == nullptr)
        return true;
    TableRecords later;
    FileReader futureReader;
    if (!open(future, table.future, futureReader) ||
        !readRows(futureReader, layout, -layout.direction, table.step,
                  table.records - pastRows + 1, later)) {
        message = futureReader.message;
        return false;
    }
    const std::size_t now = records.eccentricity.size() - 1;  // t = 0 in the past file
    if (records.eccentricity[now] != later.eccentricity[0] ||
        records.perihelion[now] != later.perihelion[0] ||
        records.obliquity[now] != later.obliquity[0]) {
        message = std::string(table.past) + " and " + table.future + " differ at t = 0";
        return false;
    }
    records.eccentricity.insert(records.eccentricity.end(), later.eccentricity.begin() + 1,
                                later.eccentricity.end());
    records.perihelion.insert(records.perihelion.end(), later.perihelion.begin() + 1,
                              later.perihelion.end());
    records.obliquity.insert(records.obliquity.end(), later.obliquity.begin() + 1,
                             later.obliquity.end());
    return true;
}

}  // namespace orbit
