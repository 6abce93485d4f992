# The two commands a newcomer types: `make run` and `make test`. Both install what is missing first.
.PHONY: setup build release run test test-default test-asan test-windows bench format clean

JOBS ?= $(shell nproc)

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

test-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

# The Windows executables, cross-built with mingw-w64, and their suites run under Wine.
test-windows: setup
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)
	ctest --preset windows -j $(JOBS)

test: test-default test-asan

bench: release
	./bench/run.sh build/release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
