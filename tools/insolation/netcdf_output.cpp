// The one file that sees the netCDF C library.
#include "table_output.h"

#include <netcdf.h>

#include <cstdio>

namespace {

class NetcdfWriter : public TableWriter {
public:
    ~NetcdfWriter() override
    {
        if (open) {
            nc_close(ncid);
            std::remove(temporary.c_str());
        }
    }

    bool create(const std::string& path, std::string& error)
    {
        destination = path;
        temporary = createTemporaryBeside(path, error);
        if (temporary.empty())
            return false;
        if (!ok(nc_create(temporary.c_str(), NC_CLOBBER | NC_NETCDF4, &ncid), error)) {
            std::remove(temporary.c_str());
            return false;
        }
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
        if (!ok(nc_close(ncid), error) || std::rename(temporary.c_str(), destination.c_str()) != 0) {
            std::remove(temporary.c_str());
            if (error.empty())
                error = "cannot write \"" + destination + "\"";
            return false;
        }
        return true;
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
        return good && (a.cfAxis.empty() || text(id, "axis", a.cfAxis, error));
    }

    bool values(const Axis& a, std::string& error)
    {
        int id = -1;
        return ok(nc_inq_varid(ncid, a.name.c_str(), &id), error)
               && ok(nc_put_var_double(ncid, id, a.values.data()), error);
    }

    int ncid = -1;
    bool open = false;
    std::string destination;
    std::string temporary;
    std::vector<int> ids;
    std::vector<std::vector<size_t>> counts;
};

}  // namespace

std::unique_ptr<TableWriter> makeNetcdfWriter(const std::string& path, std::string& error)
{
    auto writer = std::make_unique<NetcdfWriter>();
    if (!writer->create(path, error))
        return nullptr;
    return writer;
}
