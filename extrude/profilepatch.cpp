// profilepatch: the 8 by 8 net of "colon2D_m.txt" extruded from z = 0 to z = 1 into
// "colon2D.dat". Arguments are ignored.
#include "patch/extrusion.hpp"

int main() { return patch::run_extrusion(patch::profilepatch_variant); }
