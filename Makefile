# Thin wrapper over CMake presets. `make run` starts the program, `make test` runs every test.
.PHONY: all deps build release run test bench clean format

JOBS ?= $(shell nproc)

all: build

deps:
	@scripts/install-deps

build/dev/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset dev

build: deps build/dev/build.ninja
	cmake --build --preset dev -j $(JOBS)

build/release/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset release

release: deps build/release/build.ninja
	cmake --build --preset release -j $(JOBS)

run: release
	build/release/bin/zintavo-log --input res/sample_capture.bin

test: build
	ctest --preset dev -j $(JOBS)

bench: release
	@for b in build/release/bin/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
