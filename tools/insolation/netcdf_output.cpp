// The one file that sees the netCDF C library.
#include "table_output.h"

#include "files/atomic_output.h"

#include <hdf5.h>
#include <netcdf.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t chunkValues = size_t(1) << 19;  // 4 MiB of doubles
constexpr int deflateLevel = 4;

class NetcdfWriter : public TableWriter {
public:
    // A writer that did not finish drops its file: the temporary is
    // removed by its owner in any case.
    ~NetcdfWriter() override
    {
        if (open)
            nc_abort(ncid);
    }

    bool create(const std::string& path, std::string& error)
    {
        destination = path;
        if (!output.open(path, error))
            return false;
        if (!ok(nc_create(output.temporaryPath().c_str(), NC_CLOBBER | NC_NETCDF4, &ncid), error))
            return false;
        open = true;
        return true;
    }

    bool begin(const Table& table, std::string& error) override
    {
        int timeDim = -1, latDim = -1, thirdDim = -1;
        bool good = text(NC_GLOBAL, "Conventions", "CF-1.8", error)
                    && text(NC_GLOBAL, "title", table.title, error);
        for (const auto& attribute : table.attributes)
            good = good && text(NC_GLOBAL, attribute.first, attribute.second, error);
        for (const NumberAttribute& n : table.numbers)
            good = good && ok(nc_put_att_double(ncid, NC_GLOBAL, n.name.c_str(), NC_DOUBLE, 1, &n.value), error)
                   && text(NC_GLOBAL, n.name + "_units", n.units, error);
        good = good && axis(table.time, timeDim, error);
        if (!table.latitude.values.empty())
            good = good && axis(table.latitude, latDim, error);
        if (!table.third.values.empty())
            good = good && axis(table.third, thirdDim, error);
        for (const Variable& v : table.variables) {
            const int dims[3] = {timeDim, latDim, thirdDim};
            const int rank = v.extent == Extent::time ? 1 : (v.extent == Extent::latitude ? 2 : 3);
            int id = -1;
            good = good && ok(nc_def_var(ncid, v.name.c_str(), NC_DOUBLE, rank, dims, &id), error)
                   && compress(id, rank, table, error)
                   && describe(id, v.longName, v.units, v.standardName, error);
            ids.push_back(id);
            counts.push_back({1, table.latitude.values.size(), table.third.values.size()});
        }
        good = good && ok(nc_enddef(ncid), error);
        good = good && values(table.time, error);
        if (!table.latitude.values.empty())
            good = good && values(table.latitude, error);
        if (!table.third.values.empty())
            good = good && values(table.third, error);
        return good;
    }

    bool write(size_t t, const std::vector<std::vector<double>>& values, std::string& error) override
    {
        for (size_t i = 0; i < values.size(); ++i) {
            const size_t start[3] = {t, 0, 0};
            if (!ok(nc_put_vara_double(ncid, ids[i], start, counts[i].data(), values[i].data()), error))
                return false;
        }
        return true;
    }

    bool finish(std::string& error) override
    {
        open = false;
        return ok(nc_close(ncid), error) && output.commit(error);
    }

private:
    bool ok(int status, std::string& error)
    {
        if (status == NC_NOERR)
            return true;
        error = "cannot write \"" + destination + "\": " + nc_strerror(status);
        return false;
    }

    bool text(int id, const std::string& name, const std::string& value, std::string& error)
    {
        return ok(nc_put_att_text(ncid, id, name.c_str(), value.size(), value.c_str()), error);
    }

    // Chunks of at most chunkValues values: as many time steps as fit, or
    // for a step larger than that, blocks of whole latitude rows of it.
    // Deflated after the shuffle filter. The library caches a chunk until
    // it is complete, so memory stays bounded by a few chunks.
    bool compress(int id, int rank, const Table& table, std::string& error)
    {
        const size_t lats = table.latitude.values.size(), thirds = table.third.values.size();
        const size_t row = rank == 3 ? thirds : 1;
        const size_t perStep = rank == 1 ? 1 : lats * row;
        size_t chunk[3] = {std::clamp<size_t>(chunkValues / perStep, 1, std::max<size_t>(1, table.time.values.size())), lats,
                           std::min(thirds, chunkValues)};
        if (rank >= 2 && perStep > chunkValues)
            chunk[1] = std::max<size_t>(1, chunkValues / row);
        return ok(nc_def_var_chunking(ncid, id, NC_CHUNKED, chunk), error)
               && ok(nc_def_var_deflate(ncid, id, 1, 1, deflateLevel), error);
    }

    bool describe(int id, const std::string& longName, const std::string& units,
                  const std::string& standardName, std::string& error)
    {
        return text(id, "long_name", longName, error) && text(id, "units", units, error)
               && (standardName.empty() || text(id, "standard_name", standardName, error));
    }

    // A dimension and its coordinate variable of the same name.
    bool axis(const Axis& a, int& dim, std::string& error)
    {
        int id = -1;
        const bool good = ok(nc_def_dim(ncid, a.name.c_str(), a.values.size(), &dim), error)
                          && ok(nc_def_var(ncid, a.name.c_str(), NC_DOUBLE, 1, &dim, &id), error)
                          && describe(id, a.longName, a.units, a.standardName, error);
        return good && (a.cfAxis.empty() || text(id, "axis", a.cfAxis, error))
               && (a.calendar.empty() || text(id, "calendar", a.calendar, error));
    }

    bool values(const Axis& a, std::string& error)
    {
        int id = -1;
        return ok(nc_inq_varid(ncid, a.name.c_str(), &id), error)
               && ok(nc_put_var_double(ncid, id, a.values.data()), error);
    }

    AtomicOutput output;  // destroyed after the file is closed
    int ncid = -1;
    bool open = false;
    std::string destination;
    std::vector<int> ids;
    std::vector<std::vector<size_t>> counts;
};

}  // namespace

std::unique_ptr<TableWriter> makeNetcdfWriter(const std::string& path, std::string& error)
{
    // HDF5 closes every file still open when the process exits. A file
    // whose writes failed (a full disk) cannot be closed: its close fails,
    // HDF5 keeps it half torn down, and its exit handler then reads freed
    // state and crashes. Every file that matters is closed here before
    // exit, and a failed one is a temporary that is removed anyway, so the
    // exit handler is turned off; that must happen before HDF5 starts,
    // that is before the first netCDF call.
    H5dont_atexit();
    auto writer = std::make_unique<NetcdfWriter>();
    if (!writer->create(path, error))
        return nullptr;
    return writer;
}
