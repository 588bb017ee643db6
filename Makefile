# The two commands of the README: `make run` builds and starts the game,
# `make test` installs what the tests need (when it can) and passes them.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
CPACK ?= cpack
PREFIX ?= /usr/local
# ON makes every warning in the game's code an error (CI builds so).
WERROR ?= OFF
# The build's own make would announce every directory it enters and leaves.
MAKEFLAGS += --no-print-directory

.PHONY: run build test test-build sanitize test-libcxx check-32bit bench windows test-windows web serve-web test-web \
  bench-web install uninstall package-build package package-windows clean

run: build
	./build/release/lanternvale

build:
	scripts/install-deps.sh build
	$(CMAKE) -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DLANTERNVALE_WERROR=$(WERROR)
	$(CMAKE) --build build/release -j$(JOBS) --target lanternvale

test:
	scripts/install-deps.sh test
	$(CMAKE) -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON
	$(CMAKE) --build build/test -j$(JOBS)
	cd build/test && ctest --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory package-build
	scripts/check-install.sh build/test build/package
	JOBS=$(JOBS) LANTERNVALE_HOST_BUILD=build/test scripts/test-windows.sh --optional
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

# The game's code compiled where size_t is 32 bits and uint64_t is not, as
# on wasm32 (and where the two are different types, as on macOS), so that
# code mixing them breaks here too: clang for 32-bit x86 with the 128-bit
# integers and the 8-byte alignment of the game's 64-bit targets (the save
# layout relies on it). Compiled, not linked: no 32-bit game is shipped.
check-32bit:
	scripts/install-deps.sh 32bit
	$(CMAKE) -S . -B build/i386 -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_CXX_FLAGS=-m32 -malign-double -fforce-enable-int128" -DLANTERNVALE_WERROR=ON
	$(CMAKE) --build build/i386 -j$(JOBS) --target lanternvale_core

bench:
	scripts/install-deps.sh bench
	$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DLANTERNVALE_BENCH=ON
	$(CMAKE) --build build/bench -j$(JOBS) --target lanternvale_bench
	./build/bench/bench/lanternvale_bench

# Cross-compiles lanternvale.exe with Debian's MinGW-w64.
windows:
	scripts/install-deps.sh windows
	$(CMAKE) -S . -B build/windows -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DLANTERNVALE_WERROR=$(WERROR)
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

# The game in PREFIX/bin, with its manual page, icon, desktop entry, metainfo,
# README, copyright and changelog under PREFIX/share (and DESTDIR before it).
install: build
	$(CMAKE) -S . -B build/release -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	DESTDIR=$(DESTDIR) $(CMAKE) --install build/release

# Removes what the last `make install` put in place and the directories it
# made that are now empty.
uninstall:
	$(CMAKE) -DBUILD_DIR=build/release -P cmake/uninstall.cmake

# The build the packages are made of: under /usr, the game in /usr/games as the
# distribution's games are.
package-build:
	scripts/install-deps.sh package
	$(CMAKE) -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games
	$(CMAKE) --build build/package -j$(JOBS) --target lanternvale

# In build/packages: the .deb, and a .tar.gz of what `make install` puts under
# /usr/local, to unpack there.
package: package-build build
	cd build/package && $(CPACK) -G DEB -B ../packages
	cd build/release && $(CPACK) -G TGZ -B ../packages

# A .zip with lanternvale.exe, the README, the changelog and the licence in
# build/packages.
package-windows: windows
	cd build/windows && $(CPACK) -B ../packages

clean:
	rm -rf build
