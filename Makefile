# Two entry points: `make demo` and `make test`. Both install the Debian
# packages that are missing (as root), configure and build first.
PRESET ?= default
BUILD  := build

.PHONY: all deps build test demo bench accuracy bench-micro sanitize fuzz windows windows-x64 install package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset $(PRESET) >/dev/null
	env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset $(PRESET) -j 2

test: build
	ctest --preset $(PRESET) -j 2

# The demo needs kovra alone: only its tools are installed, and a build
# directory that is not configured yet is configured without the tests and
# without setup (so without GoogleTest and Qt); `make test` adds them.
demo:
	@scripts/install-deps.sh kovra
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake --preset $(PRESET) -DBUILD_TESTING=OFF -DRUK_BUILD_SETUP=OFF >/dev/null
	env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset $(PRESET) --target kovra -j 2
	@scripts/demo.sh $(BUILD)

# Not part of `make test`: kovra against PROJ, `make bench [N=points]`.
bench: build
	@scripts/bench.sh $(N)

# Not part of `make test`: kovra against PROJ and its round trip, in bands of 50 km
# from the central meridian, `make accuracy [N=points a set]` (GRID=, ZONE= for another
# grid and zone).
accuracy: build
	@bench/accuracy.sh $(N)

# Not part of `make test`: the stages one by one (Google Benchmark).
bench-micro: build
	$(BUILD)/bench/micro/kovra_bench

# Not part of `make test`: every test under AddressSanitizer+UBSan (build-asan/)
# and the threaded conversion tests under ThreadSanitizer (build-tsan/).
sanitize: deps
	@scripts/ci-sanitize.sh

# Not part of `make test`: each libFuzzer target for FUZZ_SECONDS (clang, build-fuzz/).
FUZZ_SECONDS ?= 60
fuzz: deps
	@scripts/ci-fuzz.sh $(FUZZ_SECONDS)

# Not part of `make test`: kovra.exe and setup.exe for 32-bit Windows (XP SP3
# and every later Windows), cross-compiled with mingw-w64
# (build-windows/kovra/kovra.exe, build-windows/setup/win32/setup.exe), and the
# package that ships them, build-windows/ruk3-VERSION-windows-x86.zip;
# `ctest --preset windows` tests them under Wine. `make windows-x64` builds the
# same for 64-bit Windows in build-windows-x64/, not shipped: it stands in
# under a Wine that cannot run 32-bit programs (`ctest --preset windows-x64`).
windows windows-x64:
	@scripts/install-deps.sh windows
	cmake --preset $@ >/dev/null
	env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset $@ -j 2

# Installs the programs, manual pages, data, desktop entry and icons under
# PREFIX (DESTDIR is honoured): `make install PREFIX=/opt/ruk3`.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# The Debian packages kovra_*.deb and ruk3-setup_*.deb, written to $(BUILD)/.
package: build
	env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset $(PRESET) --target package

clean:
	rm -rf build build-debug build-asan build-tsan build-fuzz build-windows build-windows-x64 demo-out
