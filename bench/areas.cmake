# One zelta_add_bench(...) line per benchmark executable of an area.
