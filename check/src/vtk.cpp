#include "patchcheck/vtk.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "patchcheck/evaluate.hpp"

namespace patch::check {

namespace {

constexpr int max_intervals = 512;
constexpr int grid_intervals = 16;
constexpr std::uint8_t vtk_line = 3;
constexpr std::uint8_t vtk_hexahedron = 12;

void append_number(std::string& out, double x) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, x);
    out.append(buf, static_cast<std::size_t>(res.ptr - buf));
}

struct grid {
    std::vector<vec3> points;
    std::vector<double> jacobian;
    std::vector<std::int64_t> connectivity, offsets;
    std::vector<std::uint8_t> types, part;
    std::vector<std::int32_t> patch;

    void add_cell(std::uint8_t type, std::uint8_t what, std::int32_t file,
                  std::initializer_list<std::int64_t> ids) {
        connectivity.insert(connectivity.end(), ids);
        offsets.push_back(static_cast<std::int64_t>(connectivity.size()));
        types.push_back(type);
        part.push_back(what);
        patch.push_back(file);
    }
};

/// The mean of knots i+1 .. i+p, kept inside the domain.
double greville(const nurbs_volume& v, int d, int i) {
    double s = 0.0;
    for (int j = 1; j <= v.degree[d]; ++j) s += v.knots[d][i + j];
    return std::clamp(s / v.degree[d], v.first(d), v.last(d));
}

void add_volume(grid& g, const nurbs_volume& v, std::int32_t file) {
    std::array<std::vector<basis_at>, 3> basis;
    std::array<std::int64_t, 3> n{};
    for (int d = 0; d < 3; ++d) {
        basis[d] = basis_along(v, d, view_parameters(v, d, grid_intervals, 1));
        n[d] = static_cast<std::int64_t>(basis[d].size());
    }
    const auto base = static_cast<std::int64_t>(g.points.size());
    for (const basis_at& c : basis[2])
        for (const basis_at& b : basis[1])
            for (const basis_at& a : basis[0]) {
                const volume_point pt = evaluate_volume(v, a, b, c);
                g.points.push_back(pt.position);
                g.jacobian.push_back(pt.jacobian());
            }
    const auto id = [&](std::int64_t i, std::int64_t j, std::int64_t k) {
        return base + (k * n[1] + j) * n[0] + i;
    };
    // VTK's hexahedron: the bottom face counter-clockwise, then the top face above it.
    for (std::int64_t k = 0; k + 1 < n[2]; ++k)
        for (std::int64_t j = 0; j + 1 < n[1]; ++j)
            for (std::int64_t i = 0; i + 1 < n[0]; ++i)
                g.add_cell(vtk_hexahedron, 0, file,
                           {id(i, j, k), id(i + 1, j, k), id(i + 1, j + 1, k), id(i, j + 1, k),
                            id(i, j, k + 1), id(i + 1, j, k + 1), id(i + 1, j + 1, k + 1),
                            id(i, j + 1, k + 1)});

    const auto net = static_cast<std::int64_t>(g.points.size());
    const std::array<std::int64_t, 3> c{v.count[0], v.count[1], v.count[2]};
    for (int k = 0; k < v.count[2]; ++k)
        for (int j = 0; j < v.count[1]; ++j)
            for (int i = 0; i < v.count[0]; ++i) {
                const control_point& q = v.at(i, j, k);
                g.points.push_back({q.x, q.y, q.z});
                g.jacobian.push_back(
                    evaluate_volume(v, {greville(v, 0, i), greville(v, 1, j), greville(v, 2, k)})
                        .jacobian());
            }
    const auto cp = [&](std::int64_t i, std::int64_t j, std::int64_t k) {
        return net + (k * c[1] + j) * c[0] + i;
    };
    for (std::int64_t k = 0; k < c[2]; ++k)
        for (std::int64_t j = 0; j < c[1]; ++j)
            for (std::int64_t i = 0; i < c[0]; ++i) {
                if (i + 1 < c[0]) g.add_cell(vtk_line, 1, file, {cp(i, j, k), cp(i + 1, j, k)});
                if (j + 1 < c[1]) g.add_cell(vtk_line, 1, file, {cp(i, j, k), cp(i, j + 1, k)});
                if (k + 1 < c[2]) g.add_cell(vtk_line, 1, file, {cp(i, j, k), cp(i, j, k + 1)});
            }
}

template <typename T>
void append_array(std::string& out, const char* type, const char* name, const std::vector<T>& a,
                  std::size_t per_line) {
    out += "        <DataArray type=\"";
    out += type;
    out += "\"";
    if (name != nullptr) {
        out += " Name=\"";
        out += name;
        out += "\"";
    }
    out += " format=\"ascii\">\n";
    for (std::size_t i = 0; i < a.size(); ++i) {
        out += i % per_line == 0 ? "          " : " ";
        if constexpr (std::is_floating_point_v<T>)
            append_number(out, a[i]);
        else
            out += std::to_string(static_cast<std::int64_t>(a[i]));
        if (i % per_line == per_line - 1 || i + 1 == a.size()) out += "\n";
    }
    out += "        </DataArray>\n";
}

}  // namespace

std::vector<double> view_parameters(const nurbs_volume& v, int d, int intervals, int per_span) {
    const auto spans = static_cast<int>(breakpoints(v, d).size()) - 1;
    const int each = std::max(per_span, (intervals + spans - 1) / spans);
    if (static_cast<long long>(each) * spans <= max_intervals) return sample_parameters(v, d, each);
    std::vector<double> u;
    u.reserve(static_cast<std::size_t>(max_intervals) + 1);
    const double a = v.first(d), b = v.last(d);
    for (int i = 0; i < max_intervals; ++i) u.push_back(a + (b - a) * i / max_intervals);
    u.push_back(b);
    return u;
}

std::string vtk_unstructured_grid(const std::vector<checked_volume>& volumes) {
    grid g;
    for (std::size_t f = 0; f < volumes.size(); ++f)
        add_volume(g, volumes[f].volume, static_cast<std::int32_t>(f + 1));

    std::string out;
    out += "<?xml version=\"1.0\"?>\n";
    out +=
        "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" "
        "header_type=\"UInt64\">\n";
    out += "  <UnstructuredGrid>\n";
    out += "    <Piece NumberOfPoints=\"" + std::to_string(g.points.size()) +
           "\" NumberOfCells=\"" + std::to_string(g.types.size()) + "\">\n";
    out += "      <PointData Scalars=\"jacobian\">\n";
    append_array(out, "Float64", "jacobian", g.jacobian, 6);
    out += "      </PointData>\n";
    out += "      <CellData Scalars=\"patch\">\n";
    append_array(out, "Int32", "patch", g.patch, 20);
    append_array(out, "UInt8", "part", g.part, 20);
    out += "      </CellData>\n";
    out += "      <Points>\n";
    out +=
        "        <DataArray type=\"Float64\" Name=\"Points\" NumberOfComponents=\"3\" "
        "format=\"ascii\">\n";
    for (const vec3& p : g.points) {
        out += "         ";
        for (const double x : p) {
            out += " ";
            append_number(out, x);
        }
        out += "\n";
    }
    out += "        </DataArray>\n";
    out += "      </Points>\n";
    out += "      <Cells>\n";
    append_array(out, "Int64", "connectivity", g.connectivity, 8);
    append_array(out, "Int64", "offsets", g.offsets, 10);
    append_array(out, "UInt8", "types", g.types, 20);
    out += "      </Cells>\n";
    out += "    </Piece>\n";
    out += "  </UnstructuredGrid>\n";
    out += "</VTKFile>\n";
    return out;
}

}  // namespace patch::check
