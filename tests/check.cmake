# Tests of the check programs.
