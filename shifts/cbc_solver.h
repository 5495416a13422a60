// The MIP solver the room uses: COIN-OR's CBC over Clp, called as a library
// (CbcModel with its default strategy: preprocessing, cuts, heuristics), one
// thread, its seeds fixed, so that the same programme gives the same answer.
#pragma once

#include "shifts/mip.h"

namespace shifts {

class CbcSolver final : public MipSolver {
public:
    MipResult Solve(const MipProgramme& programme, const MipControl& control) const override;
};

} // namespace shifts
