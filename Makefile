# Entry points. `make run` builds and starts the program; `make test` builds and
# runs every test; both first install the Debian packages the build needs when
# one is missing. `make deb` builds the Debian package, `make deb-check` also
# runs and validates it. Build trees live under build/.
BUILD      ?= build
BUILD_SAN  ?= build-san
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps deps-packaging deps-package-check build run test test-san bench screenshot help-pictures fuzz deb deb-check clean

all: build

# One quick query when every package is there.
deps:
	@scripts/install-deps -q

# Building the package needs the compiler, Qt and dpkg-dev only; checking it
# adds lintian and the validators.
deps-packaging:
	@scripts/install-deps -q --packaging

deps-package-check:
	@scripts/install-deps -q --package-check

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/zelta99

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(BUILD_SAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELTA_SANITIZE=ON -DZELTA_BENCH=OFF $(CMAKE_ARGS)

test-san: deps $(BUILD_SAN)/build.ninja
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $$(cat $(BUILD)/bench/bench_list.txt); do echo "== $$b"; QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} $(BUILD)/bench/$$b || exit 1; done

screenshot: build
	scripts/screenshot shots

# The pictures of the users' guide (resources/help), rendered again from the
# windows the guide names; commit them with the change that altered a window.
help-pictures: build
	BUILD=$(BUILD) scripts/help-pictures

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(DEB_BUILD)

# The Debian package zelta99_<version>_<arch>.deb, built in its own tree for
# /usr with the hardening flags of Debian's packages (no debug information: the
# package is stripped). `make deb-check` then unpacks it into a scratch root,
# runs it there and validates it (tests/package/check-deb).
DEB_BUILD    ?= build-deb
DEB_CXXFLAGS  = $(filter-out -g,$(shell dpkg-buildflags --get CXXFLAGS)) $(shell dpkg-buildflags --get CPPFLAGS)
DEB_LDFLAGS   = $(shell dpkg-buildflags --get LDFLAGS) -Wl,-z,now

$(DEB_BUILD)/build.ninja: | deps-packaging
	CXXFLAGS="$(DEB_CXXFLAGS)" LDFLAGS="$(DEB_LDFLAGS)" cmake -S . -B $(DEB_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_INSTALL_PREFIX=/usr \
	  -DZELTA_TESTS=OFF -DZELTA_BENCH=OFF -DZELTA_TOOLS=OFF $(CMAKE_ARGS)

deb: deps-packaging $(DEB_BUILD)/build.ninja
	cmake --build $(DEB_BUILD) -j $(JOBS)
	rm -f $(DEB_BUILD)/*.deb
	cd $(DEB_BUILD) && cpack

deb-check: deb deps-package-check
	tests/package/check-deb $(DEB_BUILD)/zelta99_*.deb

# Fuzzing of the readers of outside files (clang's libFuzzer, with address
# and undefined-behaviour sanitizers), in its own build tree: the previous-year
# file and the CSV, XLSX and ODS readers, one after the other, each for
# FUZZ_SECONDS (ten minutes by default; FUZZ_SECONDS=60 for a short run). New
# inputs go to $(FUZZ_BUILD)/corpus/<target>; fuzz/corpus/<target> holds each
# small seed corpus. The readers come from the core library, built in that
# tree with clang, the fuzzer's coverage and the sanitizers (ZELTA_FUZZ).
FUZZ_BUILD     ?= build-fuzz
FUZZ_SECONDS   ?= 600
FUZZ_TARGETS   ?= fuzz_recovery fuzz_csv fuzz_xlsx fuzz_ods
# Where an input that crashes a reader is written (a folder, with its /).
FUZZ_ARTIFACTS ?= $(FUZZ_BUILD)/

$(FUZZ_BUILD)/build.ninja: | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELTA_FUZZ=ON -DZELTA_TESTS=OFF -DZELTA_BENCH=OFF -DZELTA_TOOLS=OFF $(CMAKE_ARGS)

# Zip containers are larger than previous-year records: XLSX and ODS inputs
# may reach 64 KB.
fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  case $$t in fuzz_xlsx|fuzz_ods) len=65536 ;; fuzz_csv) len=8192 ;; *) len=3000 ;; esac; \
	  echo "== $$t"; mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  $(FUZZ_BUILD)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=$$len -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_ARTIFACTS)$$t- -print_final_stats=1 $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done
