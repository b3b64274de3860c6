# make run   - install what building and running needs, build the program, start Quayside
# make install - build the program and install it under PREFIX (default /usr/local; DESTDIR
#              stages it elsewhere, as for a package)
# make test  - also install the test servers and tools, build everything, run every test
#              (Release, then the core under AddressSanitizer/UndefinedBehaviorSanitizer),
#              check the formatting, and check that the set-up left nothing open
# make bench - build and run the benchmarks
# make fuzz  - build and run the fuzz targets for FUZZ_SECONDS each

BUILD   ?= build
SANITIZE_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS    ?= $(shell nproc)
FUZZ_SECONDS ?= 60
PREFIX  ?= /usr/local
MAKEFLAGS += --no-print-directory
SOURCES  = $(shell git ls-files -- '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps test-deps build build-all run install test test-release test-sanitize bench fuzz \
        format format-check check-setup

all: build

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --test

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DQUAY_TESTS=OFF -DQUAY_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-all: test-deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DQUAY_TESTS=ON -DQUAY_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "quayside: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it as: xvfb-run -a $(BUILD)/src/app/quayside"; \
	    exit 1; \
	fi
	@$(BUILD)/src/app/quayside

install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

test: build-all test-release test-sanitize format-check check-setup

test-release:
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: test-deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUAY_SANITIZE=ON \
	    -DQUAY_WITH_UI=OFF -DQUAY_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

check-setup:
	@scripts/check-test-setup

bench: build-all
	@bench/run

fuzz: test-deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DQUAY_FUZZ=ON -DQUAY_WITH_UI=OFF -DQUAY_BENCH=OFF -DQUAY_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run $(FUZZ_BUILD)

format:
	@clang-format-14 -i $(SOURCES)

format-check:
	@clang-format-14 --dry-run --Werror $(SOURCES) && echo "format-check: clean"
