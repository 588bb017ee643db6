# The two commands of the README: `make run` builds and starts the game,
# `make test` installs what the tests need (when it can) and passes them.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake

.PHONY: run build test test-build sanitize bench windows test-windows clean

run: build
	./build/release/lanternvale

build:
	scripts/install-deps.sh build
	$(CMAKE) -S . -B build/release -DCMAKE_BUILD_TYPE=Release
	$(CMAKE) --build build/release -j$(JOBS) --target lanternvale

test:
	scripts/install-deps.sh test
	$(CMAKE) -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON
	$(CMAKE) --build build/test -j$(JOBS)
	cd build/test && ctest --output-on-failure -j$(JOBS)
	JOBS=$(JOBS) scripts/test-windows.sh --optional

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	scripts/install-deps.sh test
	$(CMAKE) -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON -DLANTERNVALE_SANITIZE=ON
	$(CMAKE) --build build/sanitize -j$(JOBS)
	cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

bench:
	scripts/install-deps.sh bench
	$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLANTERNVALE_BENCH=ON
	$(CMAKE) --build build/bench -j$(JOBS) --target lanternvale_bench
	./build/bench/bench/lanternvale_bench

# Cross-compiles lanternvale.exe with Debian's MinGW-w64.
windows:
	scripts/install-deps.sh windows
	$(CMAKE) -S . -B build/windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	$(CMAKE) --build build/windows -j$(JOBS) --target lanternvale

# The game and its unit tests built for Windows, the tests run under wine.
# `make test` does this too when the tools are there or can be installed.
test-windows:
	JOBS=$(JOBS) scripts/test-windows.sh

clean:
	rm -rf build
