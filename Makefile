# The user's interface to the project. `make run` and `make test` install what is missing, build and go.
#   make run                 build and start Quillet
#   make install PREFIX=...  build and install Quillet, its desktop entry and icon (default /usr/local)
#   make test                build and run every test (SANITIZE=1 for ASan+UBSan, SANITIZE=thread for TSan)
#   make lint                check the format of every C++ file (clang-format), the layering of src/ and clang-tidy
#   make bench               build and run the benchmarks, each in a private X server (Xvfb)
#   make fuzz                build the fuzz targets with clang and run each for FUZZ_SECONDS

SANITIZE ?=
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

ifeq ($(SANITIZE),)
  BUILD_DIR ?= build
  BUILD_TYPE ?= RelWithDebInfo
  SANITIZER :=
else ifeq ($(SANITIZE),thread)
  BUILD_DIR ?= build-tsan
  BUILD_TYPE ?= Debug
  SANITIZER := thread
else
  BUILD_DIR ?= build-asan
  BUILD_TYPE ?= Debug
  SANITIZER := address
endif

DEPS_STAMP := .deps-installed
SOURCES_STAMP := $(BUILD_DIR)/CMakeCache.txt

.PHONY: all deps configure build run install test lint bench fuzz clean

all: build

$(DEPS_STAMP): scripts/install-deps
	./scripts/install-deps
	touch $@

deps: $(DEPS_STAMP)

$(SOURCES_STAMP): $(DEPS_STAMP)
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUILLET_SANITIZE=$(SANITIZER) $(CMAKE_FLAGS)

configure: $(SOURCES_STAMP)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@exec $(BUILD_DIR)/bin/quillet

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

test: build
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/qt_races.supp \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fontconfig_leaks.supp \
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

lint: configure
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
	ctest --test-dir $(BUILD_DIR) -L lint --output-on-failure
	./scripts/tidy $(BUILD_DIR) $(JOBS)

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS) --target benchmarks
	@set -e; for b in build-bench/bin/bench_*; do echo "== $$b"; scripts/with-x-session $$b; done

fuzz: deps
	./scripts/install-deps fuzz
	CC=clang-16 CXX=clang++-16 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_FUZZ=ON \
	  -DQUILLET_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@set -e; for f in build-fuzz/bin/fuzz_*; do \
	  name=$$(basename $$f); corpus=fuzz/corpus/$${name#fuzz_}; mkdir -p build-fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 build-fuzz/corpus/$$name \
	    $$( [ -d $$corpus ] && echo $$corpus ); done

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
