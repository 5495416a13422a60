// The engine's internals (this folder) are for the engine's own sources and
// its white-box tests. The front ends see the public headers, one per model
// (teletraffic/*.h): only the engine's target and those tests define
// CORVANE_ENGINE_INTERNALS, so that an include of these from a front end
// fails to build rather than tie it to what may change.
#pragma once

#ifndef CORVANE_ENGINE_INTERNALS
#error "teletraffic/numerics/ is internal to the engine: include a model's header instead"
#endif
