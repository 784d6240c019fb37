# Thin wrapper over CMake presets. `make run` starts the program, `make test` runs every test.
.PHONY: all deps build release run demo package test windows package-windows test-windows bench fuzz clean format

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
	build/release/bin/zintavo

# The simulator and the program together, for a first look without a meter.
demo: release
	scripts/demo build/release/bin

# The Debian package of the release build, in build/release/.
package: release
	rm -f build/release/*.deb
	cd build/release && cpack -G DEB

test: build
	ctest --preset dev -j $(JOBS)

# The Windows programs (mingw-w64): build/windows/bin/zintavo.exe and zintavo-log.exe.
windows:
	scripts/test-windows --build-only

# The Windows installer and the portable zip, in build/windows/.
package-windows: windows
	scripts/package-windows

# The Windows build (mingw-w64), its tests run under Wine.
test-windows:
	scripts/test-windows

build/bench/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset bench

# Every benchmark (built only here), then one table of medians.
bench: deps build/bench/build.ninja
	cmake --build --preset bench -j $(JOBS)
	@scripts/bench-table build/bench/bin

# Each libFuzzer target in turn, FUZZ_SECONDS apiece (clang-14, build/fuzz).
FUZZ_SECONDS ?= 60
fuzz:
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

# The long runs (not in CI), against the optimised program: the simulator at
# the line's limit with noise for SOAK_MINUTES, then a flood at 14 times the
# line's rate through SOAK_CYCLES fills of the history; each checks that
# nothing is lost and that memory stays flat.
SOAK_MINUTES ?= 30
SOAK_CYCLES ?= 11
.PHONY: soak
soak: release
	SOAK_MINUTES=$(SOAK_MINUTES) tests/e2e/soak.sh build/release/bin/zintavo build/release/bin/zintavo-sim
	SOAK_CASE=flood SOAK_CYCLES=$(SOAK_CYCLES) tests/e2e/soak.sh build/release/bin/zintavo build/release/bin/zintavo-sim

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
