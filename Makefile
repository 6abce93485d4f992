# The two commands a newcomer types: `make run` and `make test`. Both install what is missing first.
.PHONY: setup build release run deb check csmith test test-default test-release test-asan test-clang fuzz test-fuzz test-windows windows-dist web test-web vsix bench format clean

JOBS ?= $(shell nproc)
# Seconds each fuzz target runs for with `make fuzz`; `make test-fuzz` runs each for 20.
SECONDS ?= 60

setup:
	./scripts/setup.sh

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

release: setup
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

run: build
	./scripts/run.sh build/default/bin

# The Debian package build/default/package/corvane_<version>_amd64.deb, made by CPack from the
# default build's programs (brought up to date, not built again), and lintian's report on it.
deb: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	cd build/default && cpack
	lintian --tag-display-limit 0 build/default/package/corvane_*_amd64.deb

# The suite on the everyday build (gcc, -O2 with assertions), and every benchmark once with a
# tiny time budget so a broken one fails here, not a timing.
test-default: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS) --timeout 600
	./bench/run.sh build/default --benchmark_min_time=0.001 >/dev/null

# The few-minute loop while working: the everyday build and its suite, nothing else (the
# sanitizers, clang with the fuzzers and Windows are left to make test).
check:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS) --timeout 120

# The optimised build without assertions, as installed and as the benchmarks measure it.
test-release: setup
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)

test-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS) --timeout 900

# The second compiler: clang builds the core, the host, the programs and the tools (its warnings
# are errors too) with coverage, ASan and UBSan, and the libFuzzer targets run from that build.
test-clang: setup
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	./tests/fuzz/run.sh build/fuzz $(SECONDS)

fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets
	./tests/fuzz/run.sh build/fuzz $(SECONDS)

test-fuzz:
	$(MAKE) test-clang SECONDS=20

# The Windows executables, cross-built with mingw-w64, and their suites run under Wine.
# The build-time tools (mkskin, mkfont, vrnasm, vrncc) are the default build's, brought up to date.
NATIVE_TOOLS = mkskin mkfont vrnasm vrncc
test-windows: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target $(NATIVE_TOOLS)
	cmake --preset windows -DCORVANE_NATIVE_TOOLS=$(CURDIR)/build/default/bin
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $(JOBS)

# A zip for Windows users: the executables, the font data file, the demos and a README.
windows-dist: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target $(NATIVE_TOOLS)
	cmake --preset windows -DCORVANE_NATIVE_TOOLS=$(CURDIR)/build/default/bin
	cmake --build --preset windows -j $(JOBS) --target corvane corvane-run vrnasm vrndis vrncc vrndbg demos mkfont_data
	./scripts/windows-dist.sh build/windows build/corvane-windows.zip

# The web site build/web/site: the simulator in WebAssembly (Debian's emscripten) with its page,
# the font data file and the demos; the build-time tools are the default build's. Only what the
# site needs is built.
web: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target $(NATIVE_TOOLS)
	cmake --preset web -DCORVANE_NATIVE_TOOLS=$(CURDIR)/build/default/bin
	cmake --build --preset web -j $(JOBS) --target site

# The site in headless Chromium, driven by puppeteer-core, against corvane-run's own runs.
test-web: web
	cmake --build --preset default -j $(JOBS) --target corvane-run
	./tests/web/run.sh build/web/site build/default/bin

# The editor extension build/corvane-debug.vsix (editors/vscode), packaged by @vscode/vsce as its
# lock file pins it, installed into build/vscode-node.
vsix: setup
	./editors/vscode/package.sh build/corvane-debug.vsix build/vscode-node

# CI's command. Each stage finds what the others cannot: the suite and benchmarks (gcc), the
# sanitizers (the fuzz targets replay their seeds there), the Windows executables under Wine, and
# the web site in a browser, which also compiles the core, the host and the compiler with clang.
# Fuzzing itself (make fuzz, make test-fuzz) is left out: started anew from the seeds in every
# clone, its 20 seconds a target found nothing in the runs it had, for 7 minutes of the budget.
test: test-default test-asan test-windows test-web

# Random programs from Csmith, each compiled by vrncc and run on the machine and compiled by SDCC
# for the z80 and run in its simulator; the checksums must agree. Each mismatch is shrunk by cvise
# and kept in tests/vrncc/programs with the second compiler's output as the expected one. Not part
# of make test (its kept programs are). N programs, from seed SEED (default: from the clock).
N ?= 100
csmith:
	./scripts/csmith/setup.sh
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target vrncc corvane-run
	./scripts/csmith/run.py --count $(N) --jobs $(JOBS) $(if $(SEED),--seed $(SEED)) $(if $(VRNCC),--vrncc $(VRNCC)) \
	  $(if $(REDUCE_MINUTES),--reduce-minutes $(REDUCE_MINUTES)) --reduce --keep

bench: release
	./bench/run.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
