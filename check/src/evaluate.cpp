#include "patchcheck/evaluate.hpp"

#include <algorithm>
#include <cstddef>

namespace patch::check {

int find_span(const std::vector<double>& knots, int degree, int count, double u) {
    const auto& k = knots;
    if (u >= k[count]) {
        // The end of the domain belongs to the last span of nonzero length.
        int s = count - 1;
        while (s > degree && k[s] == k[s + 1]) --s;
        return s;
    }
    if (u <= k[degree]) {
        int s = degree;
        while (s < count - 1 && k[s] == k[s + 1]) ++s;
        return s;
    }
    // The last knot not greater than u, among knots[degree..count-1].
    const auto first = k.begin() + degree;
    const auto last = k.begin() + count;
    return static_cast<int>(std::upper_bound(first, last, u) - k.begin()) - 1;
}

basis_at evaluate_basis(const std::vector<double>& knots, int degree, int count, double u) {
    const int p = degree;
    const auto& k = knots;
    basis_at b;
    b.span = find_span(knots, degree, count, u);
    u = std::clamp(u, k[degree], k[count]);
    const int s = b.span;

    // left[j] = u - knots[s+1-j], right[j] = knots[s+j] - u.
    std::vector<double> left(static_cast<std::size_t>(p) + 1), right(left.size());
    std::vector<double> n(left.size(), 0.0), lower;
    n[0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        if (j == p) lower = n;  // the p functions of degree p - 1, for the derivatives
        left[j] = u - k[s + 1 - j];
        right[j] = k[s + j] - u;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            // right[r+1] + left[j-r] = knots[s+r+1] - knots[s+1-j+r] >= knots[s+1] - knots[s] > 0
            const double t = n[r] / (right[r + 1] + left[j - r]);
            n[r] = saved + right[r + 1] * t;
            saved = left[j - r] * t;
        }
        n[j] = saved;
    }

    // N'(i,p) = p N(i,p-1) / (knots[i+p] - knots[i]) - p N(i+1,p-1) / (knots[i+p+1] - knots[i+1])
    // with i = s - p + r; lower[r] is N(s - p + 1 + r, p - 1).
    std::vector<double> dn(n.size(), 0.0);
    for (int r = 0; r <= p; ++r) {
        double d = 0.0;
        if (r >= 1) d += lower[r - 1] / (k[s + r] - k[s + r - p]);
        if (r <= p - 1) d -= lower[r] / (k[s + r + 1] - k[s + r + 1 - p]);
        dn[r] = p * d;
    }
    b.value = std::move(n);
    b.derivative = std::move(dn);
    return b;
}

double volume_point::jacobian() const {
    const vec3& a = tangent[0];
    const vec3& b = tangent[1];
    const vec3& c = tangent[2];
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
           a[2] * (b[0] * c[1] - b[1] * c[0]);
}

volume_point evaluate_volume(const nurbs_volume& v, const basis_at& b0, const basis_at& b1,
                             const basis_at& b2) {
    // Homogeneous sums: h = sum N w (x, y, z, 1), and its derivative along each direction.
    std::array<double, 4> h{};
    std::array<std::array<double, 4>, 3> dh{};
    const int p0 = v.degree[0], p1 = v.degree[1], p2 = v.degree[2];
    for (int c = 0; c <= p2; ++c) {
        const int k = b2.span - p2 + c;
        const double n2 = b2.value[c], d2 = b2.derivative[c];
        for (int b = 0; b <= p1; ++b) {
            const int j = b1.span - p1 + b;
            const double n1 = b1.value[b], d1 = b1.derivative[b];
            const double n12 = n1 * n2, d1n2 = d1 * n2, n1d2 = n1 * d2;
            for (int a = 0; a <= p0; ++a) {
                const control_point& q = v.at(b0.span - p0 + a, j, k);
                const std::array<double, 4> hw{q.w * q.x, q.w * q.y, q.w * q.z, q.w};
                const double n0 = b0.value[a], d0 = b0.derivative[a];
                const double f = n0 * n12, f0 = d0 * n12, f1 = n0 * d1n2, f2 = n0 * n1d2;
                for (int e = 0; e < 4; ++e) {
                    h[e] += f * hw[e];
                    dh[0][e] += f0 * hw[e];
                    dh[1][e] += f1 * hw[e];
                    dh[2][e] += f2 * hw[e];
                }
            }
        }
    }
    volume_point pt;
    pt.weight = h[3];
    for (int e = 0; e < 3; ++e) pt.position[e] = h[e] / h[3];
    // d(h / W) = (dh - dW position) / W
    for (int d = 0; d < 3; ++d)
        for (int e = 0; e < 3; ++e)
            pt.tangent[d][e] = (dh[d][e] - dh[d][3] * pt.position[e]) / h[3];
    return pt;
}

volume_point evaluate_volume(const nurbs_volume& v, const vec3& u) {
    const basis_at b0 = evaluate_basis(v.knots[0], v.degree[0], v.count[0], u[0]);
    const basis_at b1 = evaluate_basis(v.knots[1], v.degree[1], v.count[1], u[1]);
    const basis_at b2 = evaluate_basis(v.knots[2], v.degree[2], v.count[2], u[2]);
    return evaluate_volume(v, b0, b1, b2);
}

std::vector<double> breakpoints(const nurbs_volume& v, int d) {
    std::vector<double> b;
    for (int i = v.degree[d]; i <= v.count[d]; ++i)
        if (b.empty() || v.knots[d][i] != b.back()) b.push_back(v.knots[d][i]);
    return b;
}

std::vector<double> sample_parameters(const nurbs_volume& v, int d, int per_span) {
    const std::vector<double> b = breakpoints(v, d);
    std::vector<double> u;
    for (std::size_t s = 0; s + 1 < b.size(); ++s)
        for (int i = 0; i < per_span; ++i) u.push_back(b[s] + (b[s + 1] - b[s]) * i / per_span);
    u.push_back(b.back());
    return u;
}

std::vector<basis_at> basis_along(const nurbs_volume& v, int d, const std::vector<double>& u) {
    std::vector<basis_at> out;
    out.reserve(u.size());
    for (const double t : u) out.push_back(evaluate_basis(v.knots[d], v.degree[d], v.count[d], t));
    return out;
}

}  // namespace patch::check
