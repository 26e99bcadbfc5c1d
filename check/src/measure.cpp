#include "patchcheck/measure.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

#include "patchcheck/evaluate.hpp"

namespace patch::check {

namespace {

constexpr double convergence = 1e-13;
constexpr int max_points_per_span = 48;
constexpr double work_budget = 2e9;  // basis products in one rule

/// Neumaier's compensated sum: the volume adds up millions of small terms.
class exact_sum {
  public:
    void add(double x) {
        const double t = sum_ + x;
        comp_ += std::abs(sum_) >= std::abs(x) ? (sum_ - t) + x : (x - t) + sum_;
        sum_ = t;
    }
    double value() const { return sum_ + comp_; }

  private:
    double sum_ = 0.0, comp_ = 0.0;
};

double length(const vec3& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

void widen(std::array<interval, 3>& box, const vec3& p) {
    for (int e = 0; e < 3; ++e) {
        box[e][0] = std::min(box[e][0], p[e]);
        box[e][1] = std::max(box[e][1], p[e]);
    }
}

std::array<interval, 3> empty_box() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {{{inf, -inf}, {inf, -inf}, {inf, -inf}}};
}

/// The parameters and weights of the n-point rule on every knot span of direction d.
struct direction_rule {
    std::vector<double> u, weight;
    std::vector<basis_at> basis;
};

direction_rule rule_along(const nurbs_volume& v, int d, const gauss_rule& g) {
    direction_rule r;
    const std::vector<double> b = breakpoints(v, d);
    for (std::size_t s = 0; s + 1 < b.size(); ++s) {
        const double mid = 0.5 * (b[s] + b[s + 1]), half = 0.5 * (b[s + 1] - b[s]);
        for (std::size_t i = 0; i < g.node.size(); ++i) {
            r.u.push_back(mid + half * g.node[i]);
            r.weight.push_back(half * g.weight[i]);
        }
    }
    r.basis = basis_along(v, d, r.u);
    return r;
}

/// One rule applied to the whole volume.
measurement integrate(const nurbs_volume& v, int n) {
    const gauss_rule g = gauss_legendre(n);
    const direction_rule r0 = rule_along(v, 0, g), r1 = rule_along(v, 1, g),
                         r2 = rule_along(v, 2, g);
    measurement m;
    m.points_per_span = n;
    m.box = empty_box();
    m.jacobian_min = std::numeric_limits<double>::infinity();
    m.jacobian_max = -std::numeric_limits<double>::infinity();
    exact_sum volume, signed_volume;
    for (std::size_t k = 0; k < r2.u.size(); ++k)
        for (std::size_t j = 0; j < r1.u.size(); ++j)
            for (std::size_t i = 0; i < r0.u.size(); ++i) {
                const volume_point pt = evaluate_volume(v, r0.basis[i], r1.basis[j], r2.basis[k]);
                const double det = pt.jacobian();
                const double w = r0.weight[i] * r1.weight[j] * r2.weight[k];
                volume.add(std::abs(det) * w);
                signed_volume.add(det * w);
                widen(m.box, pt.position);
                m.jacobian_min = std::min(m.jacobian_min, det);
                m.jacobian_max = std::max(m.jacobian_max, det);
                const double frame =
                    length(pt.tangent[0]) * length(pt.tangent[1]) * length(pt.tangent[2]);
                if (std::abs(det) <= degenerate_tolerance * frame)
                    ++m.zero;
                else if (det > 0.0)
                    ++m.positive;
                else
                    ++m.negative;
                ++m.points;
            }
    m.volume = volume.value();
    m.signed_volume = signed_volume.value();
    return m;
}

/// Widens the box by the six boundary faces, sampled at the breakpoints and between them.
void widen_by_boundary(const nurbs_volume& v, std::array<interval, 3>& box) {
    std::array<std::vector<basis_at>, 3> along;
    std::array<std::vector<basis_at>, 3> ends;
    for (int d = 0; d < 3; ++d) {
        along[d] = basis_along(v, d, sample_parameters(v, d, box_samples_per_span));
        ends[d] = basis_along(v, d, {v.first(d), v.last(d)});
    }
    for (int fixed = 0; fixed < 3; ++fixed) {
        std::array<const std::vector<basis_at>*, 3> sets{&along[0], &along[1], &along[2]};
        sets[fixed] = &ends[fixed];
        for (const basis_at& c : *sets[2])
            for (const basis_at& b : *sets[1])
                for (const basis_at& a : *sets[0]) widen(box, evaluate_volume(v, a, b, c).position);
    }
}

}  // namespace

gauss_rule gauss_legendre(int n) {
    gauss_rule g;
    g.node.assign(static_cast<std::size_t>(n), 0.0);
    g.weight.assign(static_cast<std::size_t>(n), 0.0);
    // Legendre P_n and its derivative at x by the three-term recurrence.
    const auto legendre = [n](double x, double& dp) {
        double p0 = 1.0, p1 = x;
        for (int k = 2; k <= n; ++k) {
            const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
            p0 = p1;
            p1 = p2;
        }
        dp = n * (x * p1 - p0) / (x * x - 1.0);
        return n == 0 ? 1.0 : p1;
    };
    for (int i = 0; i < (n + 1) / 2; ++i) {
        // Newton's method from an asymptotic guess of the i-th largest root.
        double x = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
        double dp = 0.0;
        for (int it = 0; it < 100; ++it) {
            const double dx = legendre(x, dp) / dp;
            x -= dx;
            if (std::abs(dx) <= 1e-16) break;
        }
        (void)legendre(x, dp);
        const double w = 2.0 / ((1.0 - x * x) * dp * dp);
        g.node[static_cast<std::size_t>(n - 1 - i)] = x;
        g.node[static_cast<std::size_t>(i)] = -x;
        g.weight[static_cast<std::size_t>(n - 1 - i)] = w;
        g.weight[static_cast<std::size_t>(i)] = w;
    }
    if (n % 2 == 1) g.node[static_cast<std::size_t>(n / 2)] = 0.0;
    return g;
}

measurement measure_volume(const nurbs_volume& v) {
    double spans = 1.0, cost = 1.0;
    int top_degree = 1;
    for (int d = 0; d < 3; ++d) {
        spans *= static_cast<double>(breakpoints(v, d).size() - 1);
        cost *= v.degree[d] + 1;
        top_degree = std::max(top_degree, v.degree[d]);
    }
    const auto work = [&](int n) { return spans * cost * n * n * n; };

    int n = std::min(top_degree + 1, max_points_per_span);
    while (n > 1 && work(n) > work_budget) --n;
    measurement m = integrate(v, n);
    m.rules = 1;
    for (;;) {
        const int next = std::min(n + std::max(2, n / 2), max_points_per_span);
        if (next == n || work(next) > work_budget) break;
        measurement finer = integrate(v, next);
        const double change = std::abs(finer.volume - m.volume);
        finer.last_change = finer.volume > 0.0 ? change / finer.volume : 0.0;
        finer.converged = change <= convergence * finer.volume;
        finer.rules = m.rules + 1;
        m = finer;
        n = next;
        if (m.converged) break;
    }

    for (int d = 0; d < 3; ++d) m.domain[d] = {v.first(d), v.last(d)};
    widen_by_boundary(v, m.box);
    // A fold passes through zero somewhere, so both signs say more than a zero does.
    if (m.positive > 0 && m.negative > 0)
        m.verdict = handedness::mixed;
    else if (m.zero > 0)
        m.verdict = handedness::degenerate;
    else
        m.verdict = m.negative > 0 ? handedness::left : handedness::right;
    return m;
}

std::string number_text(double x, int digits) {
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, x + 0.0, std::chars_format::general, digits);
    return {buf, static_cast<std::size_t>(res.ptr - buf)};
}

std::string verdict_text(const measurement& m) {
    const std::string of = " of " + std::to_string(m.points) + " quadrature points";
    switch (m.verdict) {
        case handedness::right:
            return "right-handed";
        case handedness::left:
            return "left-handed (inverted)";
        case handedness::degenerate:
            return "degenerate (det J is zero at " +
                   (m.zero == m.points ? "all " + std::to_string(m.points) + " quadrature points"
                                       : std::to_string(m.zero) + of) +
                   ")";
        case handedness::mixed:
            break;
    }
    return "mixed (det J > 0 at " + std::to_string(m.positive) + " and < 0 at " +
           std::to_string(m.negative) + of + ": the volume folds over itself)";
}

std::string format_report(std::string_view name, const nurbs_volume& v, const measurement& m) {
    const auto range = [](const interval& i) {
        return "[" + number_text(i[0]) + ", " + number_text(i[1]) + "]";
    };
    std::string r(name);
    r += "\n  degrees       " + std::to_string(v.degree[0]) + " " + std::to_string(v.degree[1]) +
         " " + std::to_string(v.degree[2]);
    r += "\n  counts        " + std::to_string(v.count[0]) + " " + std::to_string(v.count[1]) +
         " " + std::to_string(v.count[2]) + " (" + std::to_string(v.points.size()) +
         " control points)";
    r += "\n  domain        " + range(m.domain[0]) + " x " + range(m.domain[1]) + " x " +
         range(m.domain[2]);
    r += "\n  bounding box  x " + range(m.box[0]) + "  y " + range(m.box[1]) + "  z " +
         range(m.box[2]);
    r += "\n  volume        " + number_text(m.volume, 15) + " (Gauss-Legendre, " +
         std::to_string(m.points_per_span) + " points per span and direction";
    if (m.rules < 2)
        r += "; not checked against a finer rule";
    else if (!m.converged)
        r += "; not converged: the last two rules differ by " + number_text(m.last_change, 2) +
             " of the volume";
    r += ")";
    if (m.verdict == handedness::mixed)
        r += "\n  signed volume " + number_text(m.signed_volume, 15);
    r += "\n  det J         from " + number_text(m.jacobian_min) + " to " +
         number_text(m.jacobian_max) + " at " + std::to_string(m.points) + " quadrature points";
    r += "\n  verdict       " + verdict_text(m) + "\n";
    return r;
}

}  // namespace patch::check
