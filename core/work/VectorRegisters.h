#pragma once

namespace velmix {

// Some libraries a window loads (Qt's own start among them) return with the upper halves
// of the AVX registers still in use. Until something clears them, every SSE instruction of
// code built for plain x86-64 waits on those halves: a pass over a large table then takes
// twice as long. A thread started afterwards inherits the state, so clearing it before
// the second part starts serves both parts. Does nothing where the processor has no AVX.
void clearUpperVectorHalves();

} // namespace velmix
