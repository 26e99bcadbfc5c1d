// arcpatch: the 3 by 3 net of "qannulus_m.txt" extruded from z = 0 to z = 1 into
// "qannulus.dat". Arguments are ignored.
#include "patch/extrusion.hpp"

int main() { return patch::run_extrusion(patch::arcpatch_variant); }
