# make run   - install what is missing, build, start Quayside
# make test  - install what is missing, build, run every test (Release, then the core under
#              AddressSanitizer/UndefinedBehaviorSanitizer), then check the formatting
# make bench - build and run the benchmarks

BUILD   ?= build
SANITIZE_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS    ?= $(shell nproc)
FUZZ_SECONDS ?= 60
MAKEFLAGS += --no-print-directory
SOURCES  = $(shell git ls-files -- '*.cpp' '*.h' 2>/dev/null)

.PHONY: all deps build run test test-release test-sanitize bench fuzz format format-check

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "quayside: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it as: xvfb-run -a $(BUILD)/src/app/quayside"; \
	    exit 1; \
	fi
	@$(BUILD)/src/app/quayside

test: build test-release test-sanitize format-check

test-release:
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUAY_SANITIZE=ON \
	    -DQUAY_WITH_UI=OFF -DQUAY_BENCH=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

bench: build
	@bench/run

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DQUAY_FUZZ=ON -DQUAY_WITH_UI=OFF -DQUAY_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run $(FUZZ_BUILD)

format:
	@clang-format-14 -i $(SOURCES)

format-check:
	@clang-format-14 --dry-run --Werror $(SOURCES) && echo "format-check: clean"
