# The two commands of the README: `make run` builds and starts the game,
# `make test` installs what the tests need (when it can) and passes them.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
CPACK ?= cpack
PREFIX ?= /usr/local

.PHONY: run build test test-build sanitize test-libcxx bench windows test-windows web serve-web test-web bench-web \
        install package package-windows clean

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
	scripts/check-install.sh build/test
	JOBS=$(JOBS) scripts/test-windows.sh --optional
	JOBS=$(JOBS) scripts/test-web.sh --optional

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	scripts/install-deps.sh test
	$(CMAKE) -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON -DLANTERNVALE_SANITIZE=ON
	$(CMAKE) --build build/sanitize -j$(JOBS)
	cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# clang with libc++, the toolchain of macOS: the game and all its tests,
# every warning an error.
test-libcxx:
	scripts/install-deps.sh libcxx
	$(CMAKE) -S . -B build/libcxx -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/clang-libcxx.cmake \
	  -DLANTERNVALE_TESTS=ON -DLANTERNVALE_WERROR=ON -DLANTERNVALE_GOOGLETEST_FROM_SOURCE=ON
	$(CMAKE) --build build/libcxx -j$(JOBS)
	cd build/libcxx && ctest --output-on-failure -j$(JOBS)

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

# The game in a web browser: a static site in build/web (the page, xterm.js
# from web/package-lock.json, the game as WebAssembly) that any web server
# can serve.
web:
	scripts/install-deps.sh web
	[ web/node_modules/.package-lock.json -nt web/package-lock.json ] || \
	  (cd web && npm ci --ignore-scripts --no-audit --no-fund)
	$(CMAKE) -S . -B build/web-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DLANTERNVALE_WEB_SITE=$(CURDIR)/build/web
	$(CMAKE) --build build/web-wasm -j$(JOBS)

# Serves build/web on 127.0.0.1 (PORT, default 8000) and prints the address.
PORT ?= 8000
serve-web: web
	node web/serve.mjs build/web $(PORT)

# The game played in headless Chromium and Firefox ESR; `make test` does
# this too when the tools are there or can be installed.
test-web:
	JOBS=$(JOBS) scripts/test-web.sh

# The figures of the game in a browser: start-up, size, key to frame, idle
# CPU, a new world against the native build.
bench-web:
	JOBS=$(JOBS) scripts/test-web.sh --bench

# The game, its manual page, desktop entry and README under PREFIX (and DESTDIR).
install: build
	DESTDIR=$(DESTDIR) $(CMAKE) --install build/release --prefix $(PREFIX)

# A .deb and a .tar.gz in build/packages.
package: build
	scripts/install-deps.sh package
	cd build/release && $(CPACK) -B ../packages

# A .zip with lanternvale.exe and the README in build/packages.
package-windows: windows
	cd build/windows && $(CPACK) -B ../packages

clean:
	rm -rf build
