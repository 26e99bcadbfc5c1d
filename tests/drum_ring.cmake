# Tests of the drum_ring programs.
