# One zelta_add_bench(...) line per benchmark executable of an area.
zelta_add_bench(bench_verify SOURCES bench_verify.cpp)
zelta_add_bench(bench_generate SOURCES bench_generate.cpp)
zelta_add_bench(bench_recover SOURCES bench_recover.cpp LIBS zelta_recovery_sample)
zelta_add_bench(bench_advisors SOURCES bench_advisors.cpp LIBS zelta_windows)
zelta_add_bench(bench_holders SOURCES bench_holders.cpp LIBS zelta_windows)
zelta_add_bench(bench_reports SOURCES bench_reports.cpp)
zelta_add_bench(bench_start SOURCES bench_start.cpp LIBS zelta_windows Qt6::Test)
zelta_add_bench(bench_digests SOURCES bench_digests.cpp)
