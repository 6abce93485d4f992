# The two commands a newcomer types: `make run` and `make test`. Both install what is missing first.
.PHONY: setup build release run test test-default test-release test-asan test-clang fuzz test-fuzz test-windows windows-dist bench format clean

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

test-default: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)
	ctest --preset default -j $(JOBS)

# The optimiser is where undefined behaviour shows: the whole suite again on the release build,
# and every benchmark once with a tiny time budget so a broken one fails here, not a timing.
test-release: setup
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	ctest --preset release -j $(JOBS)
	./bench/run.sh build/release --benchmark_min_time=0.001 >/dev/null

test-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

test-clang: setup
	cmake --preset clang
	cmake --build --preset clang -j $(JOBS)
	ctest --preset clang -j $(JOBS)

fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets
	./tests/fuzz/run.sh build/fuzz $(SECONDS)

test-fuzz:
	$(MAKE) fuzz SECONDS=20

# The Windows executables, cross-built with mingw-w64, and their suites run under Wine.
test-windows: setup
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $(JOBS)

# A zip for Windows users: the executables, the font data file, the demos and a README.
windows-dist: setup
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS) --target corvane corvane-run vrnasm vrndis vrncc vrndbg demos mkfont_data
	./scripts/windows-dist.sh build/windows build/corvane-windows.zip

test: test-default test-release test-asan test-clang test-fuzz test-windows

bench: release
	./bench/run.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
