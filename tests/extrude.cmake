# Tests of the extrude programs.
