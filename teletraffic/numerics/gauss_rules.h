// Gauss's rules for a weight function: the n nodes and weights that integrate
// every polynomial of degree below 2n exactly against it. From the Jacobi
// matrix of the weight's orthonormal polynomials, whose eigenvalues are the
// nodes and the squares of whose eigenvectors' first components are the
// weights (Golub and Welsch); the eigenvalues by the implicit QL method,
// which Boost does not offer. The matrix in closed form for the Gamma law
// (generalized Laguerre); for any other weight, laid as a discrete measure on
// the nodes of a finer rule, by Stieltjes' procedure on that measure.
//
// References: G. H. Golub and J. H. Welsch, Calculation of Gauss quadrature
// rules, Math. Comp. 23 (1969) 221-230; H. Bowdler, R. S. Martin, C. Reinsch
// and J. H. Wilkinson, The QR and QL algorithms for symmetric matrices,
// Numer. Math. 11 (1968) 293-306; W. Gautschi, On generating orthogonal
// polynomials, SIAM J. Sci. Stat. Comput. 3 (1982) 289-317, section 2.2.
#pragma once

#include "teletraffic/numerics/internal.h"

#include <array>
#include <vector>

namespace teletraffic::detail {

// The most points a rule here has.
constexpr int kMostPoints = 64;
template <typename Real> using RuleArray = std::array<Real, kMostPoints>;

// Gauss's rule of n points (at most kMostPoints) from the Jacobi matrix of
// its orthonormal polynomials' recurrence, diagonal d and off-diagonal e
// (e[i] joining i and i + 1; both overwritten), weights summing to 1 (a
// measure of mass 1). The entries of moderate size: the rotations take
// sqrt(f^2 + g^2), some four times as fast as hypot. False where QL stalls.
template <typename Real> bool GolubWelsch(int n, Real* d, Real* e, Real* node, Real* weight);
extern template bool GolubWelsch(int, double*, double*, double*, double*);
extern template bool GolubWelsch(int, long double*, long double*, long double*, long double*);

// Gauss's rule of n points for the Gamma law of shape k and mean 1 (the
// generalized Laguerre weight x^(k - 1) e^-x in units of k): the nodes as
// offsets from the mean in units of it, the weights summing to 1. The
// matrix is taken less k and over sqrt(k), the law's mean and standard
// deviation, so that a large shape keeps its digits.
template <typename Real> bool GammaLawRule(Real k, int n, Real* node, Real* weight);
extern template bool GammaLawRule(double, int, double*, double*);
extern template bool GammaLawRule(long double, int, long double*, long double*);

// Gauss's rules for a discrete measure: points and their positive weights
// (of any scale), as a finer rule lays a continuous law on its nodes. The
// recurrence of its orthonormal polynomials, by Stieltjes' procedure, is the
// same for every rule: found as far as the largest rule asked for.
template <typename Real> class DiscreteMeasureRules {
public:
    DiscreteMeasureRules(std::vector<Real> points, std::vector<Real> weights);

    const std::vector<Real>& Points() const { return points_; }
    const std::vector<Real>& Weights() const { return weights_; }

    // The rule of n points (at most kMostPoints, fewer than the measure's),
    // its weights summing to 1. False where the recurrence ends (a norm of
    // 0: n as many as the measure's points, to rounding) or QL stalls.
    bool Rule(int n, Real* node, Real* weight);

private:
    std::vector<Real> points_;
    std::vector<Real> weights_;
    std::vector<Real> q_, before_; // the last two orthonormal polynomials at the points
    RuleArray<Real> d_{}, e_{};    // the recurrence so far
    int found_ = 0;
};
extern template class DiscreteMeasureRules<double>;
extern template class DiscreteMeasureRules<long double>;

} // namespace teletraffic::detail
