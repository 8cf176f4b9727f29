# Every target installs what it needs first, so a fresh Debian machine
# needs nothing but `make run` or `make test`.
.PHONY: all deps build run test test-linux test-asan test-tsan test-i686 windows fuzz bench screenshot update-screenshot install package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	@scripts/run-nomvary.sh

test-linux: deps
	cmake --preset default
	cmake --build --preset default
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Talvo under ThreadSanitizer: its tests and the stress test of overlapping
# calls must report no race.
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# Talvo built for 32-bit x86 Linux and run under qemu-i386; its talvo-host is
# compared with the native one, so that is built first.
test-i686: deps
	cmake --preset default
	cmake --build --preset default --target talvo talvo-host
	cmake --preset i686
	cmake --build --preset i686
	ctest --preset i686

test: deps
	$(MAKE) windows
	$(MAKE) test-linux
	$(MAKE) test-asan
	$(MAKE) test-tsan
	$(MAKE) test-i686

windows: deps
	@scripts/build-windows.sh

fuzz: deps
	@scripts/run-fuzzers.sh

bench: build
	@scripts/run-benchmarks.sh

# The picture goes into build/; update-screenshot replaces the README's.
screenshot: build
	@scripts/screenshot.sh

update-screenshot: build
	@scripts/screenshot.sh docs/nomvary.png

install: build
	cmake --install build

# The Debian package, build/nomvary_VERSION_ARCH.deb.
package: build
	cd build && cpack -G DEB

clean:
	rm -rf build build-asan build-tsan build-i686 build-fuzz build-mingw32 build-mingw64 dist
