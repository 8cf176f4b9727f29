# Every target installs what it needs first, so a fresh Debian machine
# needs nothing but `make run` or `make test`.
.PHONY: all deps build run test test-linux test-asan windows fuzz bench screenshot install clean

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

test: deps
	$(MAKE) windows
	$(MAKE) test-linux
	$(MAKE) test-asan

windows: deps
	@scripts/build-windows.sh

fuzz: deps
	@scripts/run-fuzzers.sh

bench: build
	@scripts/run-benchmarks.sh

screenshot: build
	@scripts/screenshot.sh

install: build
	cmake --install build

clean:
	rm -rf build build-asan build-fuzz build-mingw32 build-mingw64 dist
