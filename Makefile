# Koralith: the two commands of the README, and the benchmarks.
#   make play   build if needed, start the bundled server if none listens, open the game
#   make test   build if needed, run every test (also under sanitizers, and short fuzz runs)
#   make bench  the benchmarks, ending with one table of figures (build/bench-summary.md)
JOBS  ?= 2
BUILD := build
ASAN  := build-asan
TSAN  := build-tsan
CMAKE_FLAGS ?=

.PHONY: all deps deps-test build test test-main test-asan test-tsan play bench format clean

all: build

deps:
	@bash tools/deps.sh

deps-test:
	@bash tools/deps.sh --test

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# One tree after the other, also under make -j: two trees building at once on a small machine
# only make both slower, and their output would interleave.
test:
	@$(MAKE) --no-print-directory test-main
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory test-tsan
	@echo "make test: all test runs passed"

test-main: build deps-test
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The sanitizer trees keep assertions (no NDEBUG) and treat warnings as errors; the product tree
# does neither, so that a newer compiler's new warning never stops anyone from playing.
CHECKED := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
           -DKORALITH_WERROR=ON

# Every test under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzzers' short runs.
test-asan: deps
	@cmake -S . -B $(ASAN) $(CHECKED) -DCMAKE_CXX_COMPILER=clang++-14 \
	    -DKORALITH_SANITIZE=ON -DKORALITH_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	    ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS) -LE fuzz
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	    ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS) -L fuzz

# The threaded tests under ThreadSanitizer, where this kernel lets it run.
test-tsan: deps
	@if bash tools/tsan-works.sh; then \
	    cmake -S . -B $(TSAN) $(CHECKED) -DKORALITH_TSAN=ON $(CMAKE_FLAGS) >/dev/null && \
	    cmake --build $(TSAN) -j $(JOBS) && \
	    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN) --output-on-failure -j $(JOBS); \
	else echo "ThreadSanitizer cannot run on this machine: threaded tests ran without it"; fi

play: build
	@bash tools/play.sh $(BUILD)

bench: build deps-test
	@bash tools/bench.sh $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN)
