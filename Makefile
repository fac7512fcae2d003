# make test   bootstrap, configure, build and run every test
# make asan   the same tests built with AddressSanitizer + UndefinedBehaviorSanitizer
# make run    build and start the program with a demo transmitter
# make windows-test   cross-build hart, sim, ports and their tests for Windows and run them under Wine
# make windows-package        the whole program for Windows: dist/calvista-windows-x64.zip
# make windows-package-test   that zip under Wine: the window, calvista-cli on COM5, the registry
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all bootstrap configure build test asan run clean

all: build

bootstrap:
	@bash scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan: bootstrap
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCALVISTA_SANITIZE=ON -DCALVISTA_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target calvista calvista-cli
	@bash scripts/run-demo $(BUILD)

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz build-win build-winpkg dist

# --- fuzzing -----------------------------------------------------------------
# make fuzz          build the libFuzzer targets with clang (build-fuzz/) and run
#                    each one for a minute from its starting corpus in fuzz/corpus/
# make fuzz-replay   run each target once over its starting corpus (no new search)
FUZZ_SECONDS ?= 60
.PHONY: fuzz fuzz-replay
fuzz:
	@bash scripts/fuzz run $(FUZZ_SECONDS)

fuzz-replay:
	@bash scripts/fuzz replay

# Windows: hart, sim, ports and their tests cross-built with MinGW-w64 in $(WIN_BUILD)
# and run under Wine (a private prefix in $(WIN_BUILD)/wine). hart-sim, a Linux
# program, is built for this machine in $(WIN_BUILD)/host to serve COM5.
WIN_BUILD ?= build-win
WIN_FLAGS := -DCALVISTA_QT=OFF -DCALVISTA_BENCH=OFF

.PHONY: windows-test
windows-test:
	@bash scripts/bootstrap windows
	@cmake -S . -B $(WIN_BUILD)/host -G Ninja $(WIN_FLAGS) >/dev/null
	@cmake --build $(WIN_BUILD)/host -j $(JOBS) --target hart-sim
	@cmake -S . -B $(WIN_BUILD) -G Ninja $(WIN_FLAGS) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/MinGW-w64.cmake \
	  -DCALVISTA_HART_SIM=$(CURDIR)/$(WIN_BUILD)/host/sim/hart-sim >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS)
	@ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS)

# The whole program for Windows: qtbase cross-built from Debian's source once
# into a cache folder (scripts/windows-qt: $$HOME/.cache/calvista), then
# calvista.exe and calvista-cli.exe built against it in $(WINPKG_BUILD) and
# packed with what they need into dist/calvista-windows-x64.zip.
WINPKG_BUILD ?= build-winpkg
WINPKG_ZIP := dist/calvista-windows-x64.zip

.PHONY: windows-package windows-package-test
windows-package:
	@bash scripts/bootstrap windows-package
	@JOBS=$(JOBS) bash scripts/windows-package $(WINPKG_BUILD)

# The zip unpacked and run under Wine in $(WINPKG_BUILD)/test (own prefix);
# writes docs/screenshot-windows.png.
windows-package-test: windows-package
	@cmake -S . -B $(WIN_BUILD)/host -G Ninja $(WIN_FLAGS) >/dev/null
	@cmake --build $(WIN_BUILD)/host -j $(JOBS) --target hart-sim
	@bash scripts/windows-package-test $(WINPKG_ZIP) $(WIN_BUILD)/host/sim/hart-sim $(WINPKG_BUILD)/test
