// The Jacobi matrices and their rules (gauss_rules.h for the method).
#include "teletraffic/numerics/gauss_rules.h"

#include "teletraffic/numerics/real.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace teletraffic::detail {

template <typename Real> bool GolubWelsch(int n, Real* d, Real* e, Real* node, Real* weight) {
    for (int i = 0; i < n; ++i) {
        weight[i] = i == 0 ? 1 : 0; // the first row of the eigenvectors
    }
    e[n - 1] = 0;
    for (int l = 0; l < n; ++l) {
        for (int iteration = 0;; ++iteration) {
            int m = l;
            for (; m + 1 < n; ++m) {
                if (std::fabs(e[m]) <= kEpsilon<Real> * (std::fabs(d[m]) + std::fabs(d[m + 1]))) {
                    break;
                }
            }
            if (m == l) {
                break;
            }
            if (iteration == 60) {
                return false;
            }
            // The entries stay within some hundreds: sqrt for hypot, four times as fast.
            Real g = (d[l + 1] - d[l]) / (2 * e[l]);
            Real r = std::sqrt(g * g + 1);
            g = d[m] - d[l] + e[l] / (g + std::copysign(r, g));
            Real sine = 1;
            Real cosine = 1;
            Real p = 0;
            int i = m - 1;
            for (; i >= l; --i) {
                const Real f = sine * e[i];
                const Real b = cosine * e[i];
                r = std::sqrt(f * f + g * g);
                e[i + 1] = r;
                if (r == 0) {
                    d[i + 1] -= p;
                    e[m] = 0;
                    break;
                }
                sine = f / r;
                cosine = g / r;
                g = d[i + 1] - p;
                r = (d[i] - g) * sine + 2 * cosine * b;
                p = sine * r;
                d[i + 1] = g + p;
                g = cosine * r - b;
                const Real z = weight[i + 1];
                weight[i + 1] = sine * weight[i] + cosine * z;
                weight[i] = cosine * weight[i] - sine * z;
            }
            if (r == 0 && i >= l) {
                continue;
            }
            d[l] -= p;
            e[l] = g;
            e[m] = 0;
        }
    }
    for (int i = 0; i < n; ++i) {
        node[i] = d[i];
        weight[i] *= weight[i];
    }
    return true;
}

template <typename Real> bool GammaLawRule(Real k, int n, Real* node, Real* weight) {
    RuleArray<Real> d{};
    RuleArray<Real> e{};
    const Real root = std::sqrt(k);
    for (int i = 0; i < n; ++i) {
        d[i] = 2 * i / root;
        e[i] = std::sqrt((i + 1) * ((i + 1) + (k - 1)) / k);
    }
    if (!GolubWelsch(n, d.data(), e.data(), node, weight)) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        node[i] /= root;
    }
    return true;
}

template <typename Real>
DiscreteMeasureRules<Real>::DiscreteMeasureRules(std::vector<Real> points,
                                                 std::vector<Real> weights)
    : points_(std::move(points))
    , weights_(std::move(weights)) {}

template <typename Real> bool DiscreteMeasureRules<Real>::Rule(int n, Real* node, Real* weight) {
    const std::vector<Real>& s = points_;
    const std::vector<Real>& w = weights_;
    const std::size_t M = s.size();
    if (q_.empty()) {
        Real mass = 0;
        for (const Real x : w) {
            mass += x;
        }
        q_.assign(M, 1 / std::sqrt(mass));
        before_.assign(M, 0);
    }
    // Stieltjes' procedure, its polynomials kept orthonormal: each the last
    // times the variable less its mean against the measure, less the one
    // before it, over its norm.
    std::vector<Real> next(M);
    for (; found_ < n; ++found_) {
        Real a = 0;
        for (std::size_t i = 0; i < M; ++i) {
            a += w[i] * s[i] * q_[i] * q_[i];
        }
        Real norm = 0;
        const Real b = found_ == 0 ? 0 : e_[found_ - 1];
        for (std::size_t i = 0; i < M; ++i) {
            next[i] = (s[i] - a) * q_[i] - b * before_[i];
            norm += w[i] * next[i] * next[i];
        }
        d_[found_] = a;
        e_[found_] = std::sqrt(norm);
        if (!(e_[found_] > 0)) {
            return false;
        }
        for (std::size_t i = 0; i < M; ++i) {
            before_[i] = q_[i];
            q_[i] = next[i] / e_[found_];
        }
    }
    RuleArray<Real> d = d_;
    RuleArray<Real> e = e_;
    return GolubWelsch(n, d.data(), e.data(), node, weight);
}

template bool GolubWelsch(int, double*, double*, double*, double*);
template bool GolubWelsch(int, long double*, long double*, long double*, long double*);
template bool GammaLawRule(double, int, double*, double*);
template bool GammaLawRule(long double, int, long double*, long double*);
template class DiscreteMeasureRules<double>;
template class DiscreteMeasureRules<long double>;

} // namespace teletraffic::detail
