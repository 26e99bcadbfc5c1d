#include "patchcheck/svg.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "patch/failure.hpp"
#include "patchcheck/evaluate.hpp"
#include "patchcheck/vtk.hpp"

namespace patch::check {

namespace {

constexpr double drawing_size = 720.0;  // the longer side of the scene, in pixels
constexpr double margin = 56.0;
constexpr double left_margin = 96.0;  // room for the labels of the y axis
constexpr double title_line = 20.0;
constexpr int iso_intervals = 4;
constexpr int curve_intervals = 48;
constexpr int curve_per_span = 8;
constexpr const char* palette[] = {"#1f5fa8", "#d9700e", "#2c8a3c",
                                   "#8e3fae", "#a63a3a", "#2b8c8c"};

using curve = std::vector<vec3>;

/// What is drawn of one volume, in model coordinates.
struct drawing {
    std::vector<curve> iso, edges, net;
    std::vector<vec3> control_points;
};

/// The curve along direction `vary`, the other two directions held at the given basis.
curve trace(const nurbs_volume& v, std::array<const basis_at*, 3> at, int vary,
            const std::vector<basis_at>& along) {
    curve c;
    c.reserve(along.size());
    for (const basis_at& b : along) {
        at[vary] = &b;
        c.push_back(evaluate_volume(v, *at[0], *at[1], *at[2]).position);
    }
    return c;
}

drawing draw(const nurbs_volume& v) {
    drawing out;
    std::array<std::vector<basis_at>, 3> dense, iso, ends;
    for (int d = 0; d < 3; ++d) {
        dense[d] = basis_along(v, d, view_parameters(v, d, curve_intervals, curve_per_span));
        iso[d] = basis_along(v, d, view_parameters(v, d, iso_intervals, 1));
        ends[d] = basis_along(v, d, {v.first(d), v.last(d)});
    }
    for (int fixed = 0; fixed < 3; ++fixed) {
        const int a = (fixed + 1) % 3, b = (fixed + 2) % 3;
        for (const basis_at& end : ends[fixed]) {
            std::array<const basis_at*, 3> at{};
            at[fixed] = &end;
            // Lines along b at each iso value of a, and along a at each iso value of b.
            for (const basis_at& ia : iso[a]) {
                at[a] = &ia;
                out.iso.push_back(trace(v, at, b, dense[b]));
            }
            at[a] = nullptr;
            for (const basis_at& ib : iso[b]) {
                at[b] = &ib;
                out.iso.push_back(trace(v, at, a, dense[a]));
            }
        }
    }
    for (int vary = 0; vary < 3; ++vary) {
        const int a = (vary + 1) % 3, b = (vary + 2) % 3;
        for (const basis_at& ea : ends[a])
            for (const basis_at& eb : ends[b]) {
                std::array<const basis_at*, 3> at{};
                at[a] = &ea;
                at[b] = &eb;
                out.edges.push_back(trace(v, at, vary, dense[vary]));
            }
    }
    // The control net: one polyline per row of points along each direction.
    const auto point = [&](std::array<int, 3> i) {
        const control_point& q = v.at(i[0], i[1], i[2]);
        return vec3{q.x, q.y, q.z};
    };
    for (int vary = 0; vary < 3; ++vary) {
        const int a = (vary + 1) % 3, b = (vary + 2) % 3;
        for (int ia = 0; ia < v.count[a]; ++ia)
            for (int ib = 0; ib < v.count[b]; ++ib) {
                curve row;
                std::array<int, 3> i{};
                i[a] = ia;
                i[b] = ib;
                for (i[vary] = 0; i[vary] < v.count[vary]; ++i[vary]) row.push_back(point(i));
                out.net.push_back(std::move(row));
            }
    }
    for (const control_point& q : v.points) out.control_points.push_back({q.x, q.y, q.z});
    return out;
}

std::string fixed2(double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x + 0.0, std::chars_format::fixed, 2);
    return {buf, static_cast<std::size_t>(res.ptr - buf)};
}

std::string xml_text(std::string_view s) {
    std::string out;
    for (const char c : quote_for_diagnostic(s, 200)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

/// Model coordinates to pixels: the projection, scaled to fit, with y pointing down.
struct viewport {
    double scale = 1.0, left = 0.0, top = 0.0, min_x = 0.0, max_y = 0.0;

    std::array<double, 2> operator()(const vec3& p) const {
        const auto q = oblique(p);
        return {left + (q[0] - min_x) * scale, top + (max_y - q[1]) * scale};
    }
    std::string at(const vec3& p) const {
        const auto q = (*this)(p);
        return fixed2(q[0]) + "," + fixed2(q[1]);
    }
};

void append_polyline(std::string& out, const viewport& view, const curve& c) {
    out += "<polyline points=\"";
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (i > 0) out += " ";
        out += view.at(c[i]);
    }
    out += "\"/>\n";
}

std::string text_element(double x, double y, const char* anchor, const std::string& text,
                         const std::string& extra = {}) {
    return "<text x=\"" + fixed2(x) + "\" y=\"" + fixed2(y) + "\" text-anchor=\"" + anchor + "\"" +
           extra + ">" + xml_text(text) + "</text>\n";
}

}  // namespace

std::array<double, 2> oblique(const std::array<double, 3>& p) {
    constexpr double receding = 0.5 * 0.70710678118654752;  // half length at 45 degrees
    return {p[0] + receding * p[2], p[1] + receding * p[2]};
}

std::string svg_picture(const std::vector<checked_volume>& volumes) {
    std::vector<drawing> drawings;
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::array<interval, 3> box{{{inf, -inf}, {inf, -inf}, {inf, -inf}}};
    const auto widen = [&box](const vec3& p) {
        for (int e = 0; e < 3; ++e) {
            box[e][0] = std::min(box[e][0], p[e]);
            box[e][1] = std::max(box[e][1], p[e]);
        }
    };
    // The scene's box holds the control points too, so that the axes pass outside the net; the
    // ticks mark the extent of the solids, as the report gives it.
    std::array<interval, 3> solid = box;
    for (const checked_volume& cv : volumes) {
        drawings.push_back(draw(cv.volume));
        for (const curve& c : drawings.back().iso)
            for (const vec3& p : c) widen(p);
        for (const vec3& p : drawings.back().control_points) widen(p);
        for (int e = 0; e < 3; ++e) {
            solid[e][0] = std::min(solid[e][0], cv.m.box[e][0]);
            solid[e][1] = std::max(solid[e][1], cv.m.box[e][1]);
        }
    }

    // The axes: x below the scene, y to its left, z from its lower right corner; each spans the
    // range of its coordinate.
    double extent = 0.0;
    for (const interval& i : box) extent = std::max(extent, i[1] - i[0]);
    if (extent == 0.0) extent = 1.0;
    const double gap = 0.1 * extent;
    const double stub = 0.12 * extent;  // the length shown for a coordinate of zero range
    struct axis {
        vec3 from, to;
        const char* name;
        double low, high;
    };
    const auto low = [&](int e) { return solid[e][0]; };
    const auto high = [&](int e) {
        return solid[e][1] > solid[e][0] ? solid[e][1] : solid[e][0] + stub;
    };
    const axis axes[3] = {
        {{low(0), box[1][0] - gap, box[2][0]},
         {high(0), box[1][0] - gap, box[2][0]},
         "x",
         solid[0][0],
         solid[0][1]},
        {{box[0][0] - gap, low(1), box[2][0]},
         {box[0][0] - gap, high(1), box[2][0]},
         "y",
         solid[1][0],
         solid[1][1]},
        {{box[0][1] + gap, box[1][0] - gap, low(2)},
         {box[0][1] + gap, box[1][0] - gap, high(2)},
         "z",
         solid[2][0],
         solid[2][1]},
    };

    // Fit the projected scene into the drawing.
    double min_x = inf, max_x = -inf, min_y = inf, max_y = -inf;
    const auto take = [&](const vec3& p) {
        const auto q = oblique(p);
        min_x = std::min(min_x, q[0]);
        max_x = std::max(max_x, q[0]);
        min_y = std::min(min_y, q[1]);
        max_y = std::max(max_y, q[1]);
    };
    for (const drawing& d : drawings) {
        for (const curve& c : d.iso)
            for (const vec3& p : c) take(p);
        for (const vec3& p : d.control_points) take(p);
    }
    for (const axis& a : axes) {
        take(a.from);
        take(a.to);
    }
    const double width = std::max(max_x - min_x, 1e-300), height = std::max(max_y - min_y, 1e-300);
    viewport view;
    view.scale = drawing_size / std::max(width, height);
    view.left = left_margin;
    view.top = margin + title_line * static_cast<double>(volumes.size());
    view.min_x = min_x;
    view.max_y = max_y;
    const double canvas_w = width * view.scale + left_margin + margin;
    const double canvas_h =
        height * view.scale + 2 * margin + title_line * static_cast<double>(volumes.size());

    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed2(canvas_w) +
           "\" height=\"" + fixed2(canvas_h) + "\" viewBox=\"0 0 " + fixed2(canvas_w) + " " +
           fixed2(canvas_h) + "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";

    for (std::size_t i = 0; i < drawings.size(); ++i) {
        const char* colour = palette[i % std::size(palette)];
        out += "<g fill=\"none\" stroke=\"" + std::string(colour) +
               "\" stroke-width=\"0.7\" stroke-opacity=\"0.65\" stroke-linejoin=\"round\">\n";
        for (const curve& c : drawings[i].iso) append_polyline(out, view, c);
        out += "</g>\n<g fill=\"none\" stroke=\"" + std::string(colour) +
               "\" stroke-width=\"1.8\" stroke-linejoin=\"round\">\n";
        for (const curve& c : drawings[i].edges) append_polyline(out, view, c);
        out += "</g>\n";
    }
    out += "<g fill=\"none\" stroke=\"#888888\" stroke-width=\"0.6\" stroke-dasharray=\"4 3\">\n";
    for (const drawing& d : drawings)
        for (const curve& c : d.net) append_polyline(out, view, c);
    out += "</g>\n<g fill=\"#d0202a\" stroke=\"white\" stroke-width=\"0.8\">\n";
    for (const drawing& d : drawings)
        for (const vec3& p : d.control_points) {
            const auto q = view(p);
            out += "<circle cx=\"" + fixed2(q[0]) + "\" cy=\"" + fixed2(q[1]) + "\" r=\"3\"/>\n";
        }
    out += "</g>\n";

    out += "<g stroke=\"black\" stroke-width=\"1\">\n";
    for (const axis& a : axes) {
        out += "<line x1=\"" + fixed2(view(a.from)[0]) + "\" y1=\"" + fixed2(view(a.from)[1]) +
               "\" x2=\"" + fixed2(view(a.to)[0]) + "\" y2=\"" + fixed2(view(a.to)[1]) + "\"/>\n";
    }
    out += "</g>\n";
    // Ticks and labels: the low and high value at the ends of each axis, its name beyond.
    for (int e = 0; e < 3; ++e) {
        const axis& a = axes[e];
        const auto from = view(a.from), to = view(a.to);
        const double len = std::hypot(to[0] - from[0], to[1] - from[1]);
        const double ux = (to[0] - from[0]) / len, uy = (to[1] - from[1]) / len;
        const double nx = -uy * 5.0, ny = ux * 5.0;  // a tick across the axis
        const auto tick = [&](const std::array<double, 2>& at, double value) {
            out += "<line x1=\"" + fixed2(at[0] - nx) + "\" y1=\"" + fixed2(at[1] - ny) +
                   "\" x2=\"" + fixed2(at[0] + nx) + "\" y2=\"" + fixed2(at[1] + ny) +
                   "\" stroke=\"black\"/>\n";
            // x labels under the axis, y labels to its left, z labels to its right.
            if (e == 0) out += text_element(at[0], at[1] + 20, "middle", number_text(value, 6));
            if (e == 1) out += text_element(at[0] - 9, at[1] + 4, "end", number_text(value, 6));
            if (e == 2) out += text_element(at[0] + 9, at[1] + 12, "start", number_text(value, 6));
        };
        tick(from, a.low);
        if (a.high > a.low) tick(to, a.high);
        const double tip_x = to[0] + ux * 16, tip_y = to[1] + uy * 16 + 5;
        out +=
            text_element(tip_x, tip_y, "middle", a.name, " font-style=\"italic\" font-size=\"16\"");
    }

    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const double y = margin * 0.5 + title_line * static_cast<double>(i);
        out += "<rect x=\"" + fixed2(left_margin) + "\" y=\"" + fixed2(y - 10) +
               "\" width=\"12\" height=\"12\" fill=\"" + palette[i % std::size(palette)] + "\"/>\n";
        out += text_element(left_margin + 18, y, "start",
                            volumes[i].name + ": " + verdict_text(volumes[i].m) + ", volume " +
                                number_text(volumes[i].m.volume, 12));
    }
    out += "</svg>\n";
    return out;
}

}  // namespace patch::check
