#include "teletraffic/inverse_blocking.h"

#include <boost/math/special_functions/gamma.hpp>

namespace teletraffic::detail {

// First version: Boost's incomplete gamma, good for moderate arguments only.
Scaled GammaRatio(Real x, Real a) {
    const Real q = boost::math::gamma_q(a, x);
    const Real d = boost::math::gamma_p_derivative(a, x);
    return {q / d, 0};
}

} // namespace teletraffic::detail
