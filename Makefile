# make demo: installs what is missing, builds, makes a demo bank and extracts it.
# make test: installs what is missing, builds every configuration, runs every test.
# make fuzz: runs every fuzz target for FUZZ_SECONDS (60) each.
# make mutants: how many planted faults the tests catch (tests/mutants/).
# make dist: the release files in build/dist; make dist-check: each checked as received.
# make web: the page, build/web/unbank.html; make test-web: its tests in headless Chromium and
# Firefox ESR.
# make test-arm64: the 64-bit ARM build, build/arm64, and its tests under qemu-user.

# clang and libclang-rt-14-dev (its libFuzzer runtime) build the fuzz targets; util-linux
# gives the process tests of unbank prlimit; libgtest-dev the host builds GoogleTest;
# nlohmann-json3-dev, header only, writes unbank's --json for every build.
PACKAGES := cmake make g++ googletest libgtest-dev libbenchmark-dev python3 \
            g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 xvfb xauth \
            clang libclang-rt-14-dev util-linux nlohmann-json3-dev
# Two tests need these: the bash completions run on bash-completion's helpers, and exiftool
# reads the Windows programs' version resources back.
PACKAGES += bash-completion libimage-exiftool-perl
# The 64-bit ARM build: Debian's aarch64 cross compiler, and qemu-user to run its programs here.
PACKAGES += g++-aarch64-linux-gnu qemu-user
# The page: Debian's emscripten builds it, Debian's Chromium and Firefox ESR run its tests; npm ci
# in web/ brings the zip library the page holds and the browser driver, as web/package-lock.json
# pins.
WEB_PACKAGES := emscripten chromium firefox-esr
# The 32-bit release runs its tests under 32-bit Wine, from Debian's i386 architecture.
I386_PACKAGES := wine32:i386
# make bench alone needs these: the peer it is compared with, the synthesiser of its test
# audio, and /usr/bin/time for peak memory.
BENCH_PACKAGES := ffmpeg sox time
# make dist needs zip, CPack's dpkg-shlibdeps (dpkg-dev), rpmbuild (rpm) and makensis (nsis)
# for the Windows installer; make dist-check lintian, rpmlint, cpio for rpm2cpio, unzip, man,
# and xwininfo to see the Windows program's window.
DIST_PACKAGES := zip unzip dpkg-dev rpm nsis lintian rpmlint cpio man-db x11-utils
# The ARM Debian package depends on what dpkg-shlibdeps reads from Debian's own arm64 C and C++
# libraries, from its arm64 architecture (the cross compiler's copies name packages of their own).
ARM64_PACKAGES := libstdc++6:arm64
NATIVE   := build/native/bin
WEB      := build/web
VERSION  := $(shell sed -n '/^project/s/.*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
JOBS     ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps deps-bench build build-native build-fuzz test test-native test-asan test-tsan \
        test-fuzz fuzz test-win64 test-win32 build-arm64 test-arm64 web test-web mutants demo \
        bench deps-dist dist dist-check format clean

all: build

# Installs only the packages of the list that are missing; apt's lists are refreshed only then.
install_missing = missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

deps:
	@$(call install_missing,$(PACKAGES))
	@dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
	@$(call install_missing,$(I386_PACKAGES))
	@$(call install_missing,$(WEB_PACKAGES))
	@cd web && { [ node_modules/.package-lock.json -nt package-lock.json ] || \
	  npm ci --no-audit --no-fund --loglevel=error; }

deps-bench: deps
	@$(call install_missing,$(BENCH_PACKAGES))

build-native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j$(JOBS)

build: build-native
	for p in win64 win32; do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p -j$(JOBS) || exit 1; \
	done

test-native: build-native
	ctest --preset native -j$(JOBS)

# The Windows builds run their tests under Wine on a virtual X display; Wine's server and
# services start outside ctest so no test inherits them.
wine_ctest = cmake/wine-session.sh start build/$(1) && \
	xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset $(1); \
	status=$$?; cmake/wine-session.sh stop build/$(1); exit $$status

test-win64: build
	$(call wine_ctest,win64)

# The 32-bit release under 32-bit Wine. A machine that cannot run 32-bit programs says so
# and checks only the program files' kind and imports.
test-win32: build
	@if reason=$$(cmake/wine-probe.sh); then \
	  $(call wine_ctest,win32); \
	else \
	  echo "SKIPPED: the 32-bit release's tests: $$reason"; \
	  for p in UNBANK:GUI unbank:CUI; do \
	    cmake -DOBJDUMP=i686-w64-mingw32-objdump -DPROGRAM=build/win32/bin/$${p%:*}.exe \
	          -DSUBSYSTEM=$${p#*:} -P tests/shell/check_imports.cmake || exit 1; \
	  done; \
	fi

build-arm64: deps
	cmake --preset arm64 >/dev/null
	cmake --build --preset arm64 -j$(JOBS)

# The ARM build's tests run under qemu-user, and the host's unbank process tests (build-native
# makes them) run its unbank there.
test-arm64: build-arm64 build-native
	ctest --preset arm64 -j$(JOBS)

# The whole host suite, fault tests included, under AddressSanitizer and UBSan.
test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

# The job's tests under ThreadSanitizer: the worker shares the reply state, the busy flag
# and the counters with the window or console thread. Not the stop signals' test nor the kill
# test: ThreadSanitizer holds a signal back until the thread that took it enters a call it
# watches, now and then until the job has ended, and a killed program reports nothing.
test-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j$(JOBS)
	ctest --preset tsan -j$(JOBS)

build-fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS)

# A short run of each fuzz target, so that a regression fails the tests.
test-fuzz: build-fuzz
	FUZZ_SECONDS=15 ctest --preset fuzz -j$(JOBS)

fuzz: build-fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --preset fuzz -j$(JOBS)

# The page: the engine in WebAssembly, with the page's script and style, in one HTML file.
web: deps
	cmake --preset web >/dev/null
	cmake --build --preset web -j$(JOBS)

# The codec's tests under Node, its WebAssembly vector lanes against the block decoder; then the
# page, opened from disk in headless Chromium and Firefox ESR, against the native unbank on the
# same banks.
test-web: web build-native
	ctest --preset web

test: build test-native test-asan test-tsan test-fuzz test-win64 test-win32 test-arm64 test-web

# Plants each fault of tests/mutants/faults.txt in turn, rebuilds and runs the suite that must
# catch it; MUTANTS="word..." takes only the faults whose heading holds one of the words.
mutants: build build-arm64 web
	xvfb-run -a -s "-screen 0 1024x768x24" python3 tests/mutants/run_mutants.py $(MUTANTS)

demo: build-native web
	rm -rf demo && mkdir -p demo
	$(NATIVE)/mkbank demo/demo.zp4 --demo
	$(NATIVE)/unbank --list demo/demo.zp4
	$(NATIVE)/unbank -q -o demo/wav demo/demo.zp4
	@echo "Written into demo/wav:" && ls -l demo/wav
	@echo "The page: $(CURDIR)/$(WEB)/unbank.html (open it in a browser, drop demo/demo.zp4 on it)"

# Throughput of the decoders and the slot writer, then the whole extraction side by side with
# ffmpeg and cp (bench/compare.sh), and the page in headless Chromium on the same bank.
bench: build-native deps-bench web
	cmake --build --preset native -j$(JOBS) --target codec_bench engine_bench
	$(NATIVE)/codec_bench
	$(NATIVE)/engine_bench
	bench/compare.sh $(NATIVE)
	node bench/page_bench.mjs $(WEB)/unbank.html $(NATIVE) build/native/compare/bank.zp4 $(WEB)/bench

deps-dist: deps
	@$(call install_missing,$(DIST_PACKAGES))
	@dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
	@$(call install_missing,$(ARM64_PACKAGES))

# The Windows zip and installer from the 32-bit release, the Debian and RPM packages for x86_64
# and 64-bit ARM, the source archive and the page.
dist: build build-arm64 web deps-dist
	rm -rf build/dist
	cmake --build --preset native --target package source_archive
	cmake --build --preset arm64 --target package
	cmake --build --preset win32 --target release_zip release_installer
	cp $(WEB)/unbank.html build/dist/unbank-$(VERSION)-web.html

dist-check: dist
	tests/release/check_release.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build demo
