# Front door of the build. Every target installs what is missing first, so a fresh
# Debian machine needs nothing but `make run` or `make test`.

BUILD      ?= build
GENERATOR  := -G Ninja
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
PREFIX     ?= /usr/local

.PHONY: all deps configure build install run test bench fuzz sanitize tsan ia32 format clean

# Suites that exercise threads; they also run under ThreadSanitizer.
TSAN_SUITES ?= tests_foundation tests_native tests_app tests_render tests_sample

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(GENERATOR) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Headers, layer libraries, tools, the CMake package, pkg-config files and the sample
# data under PREFIX (see cmake/OrvaneInstall.cmake).
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

run: build
	@if [ -x $(BUILD)/orvane/sample/orvane-viewer ]; then \
		$(BUILD)/orvane/sample/orvane-viewer; \
	else \
		echo "make run: the viewer is not built yet; 'make test' runs what exists."; \
	fi

test: build
	@scripts/with-xvfb ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure --timeout 600

# The same suite with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan \
		CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=address,undefined $(CMAKE_ARGS)"

# The threaded suites with ThreadSanitizer.
tsan: deps
	@cmake -S . -B build-tsan $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=thread $(CMAKE_ARGS) >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target $(TSAN_SUITES)
	@TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" scripts/with-xvfb \
		ctest --test-dir build-tsan -j $(JOBS) --output-on-failure --timeout 600 -L "^($(subst $(eval) ,|,$(TSAN_SUITES)))$$"

# The machine-code tests built as 32-bit x86, so that IA-32 programs run for real: natively
# where the kernel runs 32-bit programs, otherwise under qemu-i386's user-mode emulation.
ia32: deps
	@cmake -S . -B build-ia32 $(GENERATOR) -DORVANE_IA32=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build build-ia32 -j $(JOBS) --target tests_ia32
	@if build-ia32/tests_ia32 --gtest_list_tests >/dev/null 2>&1; then \
		build-ia32/tests_ia32; \
	else \
		echo "ia32: this kernel runs no 32-bit programs; emulating them"; \
		qemu-i386 build-ia32/tests_ia32; \
	fi

bench:
	@$(MAKE) --no-print-directory build BUILD=build-bench \
		CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF -DORVANE_BENCH=ON $(CMAKE_ARGS)"
	@for b in build-bench/bench/bench_*; do [ -x "$$b" ] && scripts/with-xvfb "$$b" || exit 1; done

# Runs every libFuzzer target for FUZZ_SECONDS each (clang).
fuzz:
	@$(MAKE) --no-print-directory build BUILD=build-fuzz \
		CMAKE_ARGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DORVANE_TESTS=OFF -DORVANE_FUZZ=ON $(CMAKE_ARGS)"
	@for f in build-fuzz/fuzz/fuzz_*; do \
		[ -x "$$f" ] || continue; name=$$(basename $$f); mkdir -p build-fuzz/corpus/$$name; \
		$$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 build-fuzz/corpus/$$name fuzz/corpus/$${name#fuzz_} || exit 1; \
	done

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf build build-asan build-tsan build-ia32 build-bench build-fuzz
