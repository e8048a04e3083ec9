#include "ntv2_writer.h"

#include <bit>
#include <fstream>
#include <stdexcept>

namespace ntv2 {

namespace {

// Appends header records (8-byte label, 8-byte value) and node records,
// little-endian whatever the host's byte order.
class Encoder {
public:
    void text(const std::string& label, const std::string& value)
    {
        chars(label);
        chars(value);
    }
    void integer(const std::string& label, int32_t value)
    {
        chars(label);
        littleEndian(static_cast<uint32_t>(value), 4);
        littleEndian(0, 4);  // padding
    }
    void real(const std::string& label, double value)
    {
        chars(label);
        littleEndian(std::bit_cast<uint64_t>(value), 8);
    }
    void single(float value) { littleEndian(std::bit_cast<uint32_t>(value), 4); }

    std::vector<unsigned char> bytes;

private:
    // Eight characters, blank-padded or cut.
    void chars(const std::string& s)
    {
        for (std::size_t i = 0; i < 8; ++i) bytes.push_back(i < s.size() ? s[i] : ' ');
    }
    void littleEndian(uint64_t value, int count)
    {
        for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
};

void encodeOverview(Encoder& out, const Grid& grid)
{
    out.integer("NUM_OREC", 11);
    out.integer("NUM_SREC", 11);
    out.integer("NUM_FILE", grid.numFile.value_or(static_cast<int32_t>(grid.subGrids.size())));
    out.text("GS_TYPE", grid.gsType);
    out.text("VERSION", grid.version);
    out.text("SYSTEM_F", grid.systemF);
    out.text("SYSTEM_T", grid.systemT);
    out.real("MAJOR_F", grid.majorF);
    out.real("MINOR_F", grid.minorF);
    out.real("MAJOR_T", grid.majorT);
    out.real("MINOR_T", grid.minorT);
}

void encodeSubGrid(Encoder& out, const SubGrid& g)
{
    out.text("SUB_NAME", g.name);
    out.text("PARENT", g.parent);
    out.text("CREATED", g.created);
    out.text("UPDATED", g.updated);
    out.real("S_LAT", g.sLat);
    out.real("N_LAT", g.nLat);
    out.real("E_LONG", g.eLong);
    out.real("W_LONG", g.wLong);
    out.real("LAT_INC", g.latInc);
    out.real("LONG_INC", g.longInc);
    out.integer("GS_COUNT", g.gsCount.value_or(g.rows * g.cols));
    for (int32_t r = 0; r < g.rows; ++r) {
        for (int32_t c = 0; c < g.cols; ++c) {
            const Node n = g.node ? g.node(g.sLat + r * g.latInc, g.eLong + c * g.longInc) : Node{};
            for (float v : {n.latShift, n.lonShift, n.latAccuracy, n.lonAccuracy}) out.single(v);
        }
    }
}

}  // namespace

SubGrid regularSubGrid(double sLat, double eLong, double latInc, double longInc, int32_t rows,
                       int32_t cols, NodeFunction node)
{
    SubGrid g;
    g.sLat = sLat;
    g.nLat = sLat + (rows - 1) * latInc;
    g.eLong = eLong;
    g.wLong = eLong + (cols - 1) * longInc;
    g.latInc = latInc;
    g.longInc = longInc;
    g.rows = rows;
    g.cols = cols;
    g.node = std::move(node);
    return g;
}

std::vector<unsigned char> encode(const Grid& grid)
{
    Encoder out;
    encodeOverview(out, grid);
    for (const SubGrid& g : grid.subGrids) encodeSubGrid(out, g);
    out.text("END", "");
    return std::move(out.bytes);
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

void writeGrid(const std::string& path, const Grid& grid, std::optional<std::size_t> maxBytes)
{
    std::vector<unsigned char> bytes = encode(grid);
    if (maxBytes && *maxBytes < bytes.size()) bytes.resize(*maxBytes);
    writeFile(path, bytes);
}

}  // namespace ntv2
