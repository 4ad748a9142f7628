# Kavinel: `make run` builds and starts the program on the sample doll, `make test` runs
# every test. Both first install any missing Debian package. On a system without make,
# ./run.sh and ./test.sh install it (and the rest) and then hand over to these two.
SHELL        := /bin/bash
BUILD_DIR    ?= build
ASAN_DIR     ?= build-asan
TSAN_DIR     ?= build-tsan
FUZZ_DIR     ?= build-fuzz
RUN_DIR      ?= run
JOBS         ?= $(shell nproc)
FUZZ_SECONDS ?= 600
# `make install` puts Kavinel under /usr/local as root and under ~/.local otherwise.
PREFIX       ?= $(if $(filter 0,$(shell id -u)),/usr/local,$(HOME)/.local)
# An hour of frames at one frame every 50 ms.
SOAK_FRAMES  ?= 72000
# Warnings are errors for the tests and benchmarks (set below), as in CI. A plain build, an
# install or a package keeps the build folder's setting, off unless the tests or benchmarks
# built there, so that going from `make test` to `make run` rebuilds nothing.
WERROR       ?=
WERROR_FLAG   = $(if $(WERROR),-DKAVINEL_WERROR=$(WERROR))

CMAKE_FLAGS = -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The packager archives the sample's Japanese file names only in a UTF-8 locale, which a bare
# root shell (POSIX) is not; C.UTF-8 is on every Debian system.
CPACK       = LC_ALL=C.UTF-8 cpack
CTEST       = ctest --output-on-failure -j $(JOBS) --test-dir
# Leaks count as failures; every sanitizer report ends the test.
export ASAN_OPTIONS  = detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS = print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS  = halt_on_error=1

.PHONY: all deps build run install uninstall package test test-plain test-sanitized \
        test-threads test-package fuzz fuzz-build soak bench format format-check clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) $(WERROR_FLAG) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Each of the outer doll's two pictures goes into run/ when it is missing there; the inner dolls'
# pictures (シェイプ2.bmp, …) only when run/ held neither, since a doll of one's own would
# otherwise gain dolls it never had.
run: build
	@mkdir -p $(RUN_DIR)
	@held=$$(ls -d $(RUN_DIR)/{シェイプ,テクスチャ}.bmp 2>/dev/null); \
	 cp -n samples/{シェイプ,テクスチャ}.bmp $(RUN_DIR)/ 2>/dev/null; \
	 [[ -n $$held ]] || cp -n samples/*[0-9].bmp $(RUN_DIR)/ 2>/dev/null || true
	@cd $(RUN_DIR) && ../$(BUILD_DIR)/Kavinel

# The program, its menu entry and icon, and the sample doll the menu entry's launcher copies
# into ~/Kavinel. `make uninstall` removes what the last install wrote.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

uninstall:
	@[[ -f $(BUILD_DIR)/install_manifest.txt ]] || { echo "nothing installed from $(BUILD_DIR)"; exit 1; }
	@xargs -d '\n' rm -vf < $(BUILD_DIR)/install_manifest.txt
	@rm -f $(BUILD_DIR)/install_manifest.txt

# A Debian package in this folder: sudo apt install ./kavinel_*.deb
package: build
	@rm -rf $(BUILD_DIR)/package kavinel_*.deb
	@$(CPACK) -G DEB --config $(BUILD_DIR)/CPackConfig.cmake -B $(BUILD_DIR)/package >/dev/null
	@cp $(BUILD_DIR)/package/kavinel_*.deb .
	@ls kavinel_*.deb

# The install into a scratch prefix, and the package installed and removed with apt (as root;
# `make test` runs both too).
test-package: build
	@$(CTEST) $(BUILD_DIR) -R '^(install|package)$$'

test test-plain test-sanitized test-threads fuzz-build bench: WERROR = ON

# The whole suite twice (plain, then under AddressSanitizer and UndefinedBehaviorSanitizer),
# the doll library's threads under ThreadSanitizer, then a minute of fuzzing the picture readers.
test: test-plain test-sanitized test-threads
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=60
	@logs="$(BUILD_DIR)/ctest.log $(ASAN_DIR)/ctest.log $(TSAN_DIR)/ctest.log"; \
	 passed=$$(cat $$logs | grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed'); \
	 skipped=$$(cat $$logs | grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)'); \
	 echo "make test: $$((passed + 1)) passed, 0 failed, $$skipped skipped"

test-plain: build
	@set -o pipefail; $(CTEST) $(BUILD_DIR) | tee $(BUILD_DIR)/ctest.log

test-sanitized: deps
	@cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) $(WERROR_FLAG) -DKAVINEL_SANITIZE=ON \
	  -DKAVINEL_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@set -o pipefail; $(CTEST) $(ASAN_DIR) -E '^(clang_format|package|release_build)$$' | \
	  tee $(ASAN_DIR)/ctest.log

# Only the threads test is built: the rest links Qt's widgets, which ThreadSanitizer cannot see
# into.
test-threads: deps
	@cmake -S . -B $(TSAN_DIR) $(CMAKE_FLAGS) $(WERROR_FLAG) -DKAVINEL_THREAD_SANITIZE=ON \
	  -DKAVINEL_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target doll_threads_tests
	@set -o pipefail; $(CTEST) $(TSAN_DIR) -R '^DollThreads\.' | tee $(TSAN_DIR)/ctest.log

fuzz-build: deps
	@cmake -S . -B $(FUZZ_DIR) $(CMAKE_FLAGS) -DCMAKE_CXX_COMPILER=clang++ -DKAVINEL_FUZZ=ON \
	  $(WERROR_FLAG) -DBUILD_TESTING=OFF -DKAVINEL_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_images make_fuzz_corpus

# Fuzzes the BMP and JPEG readers, the shape reading, the reader of dropped pictures and the
# doll file reader for FUZZ_SECONDS: two thirds over every reader, with the limits a picture
# needs, then a third over doll files alone, within what a doll file may cost: no allocation
# past 16 MB, and 200 MB resident, about 100 MB above the fuzzer's own footprint once
# AddressSanitizer keeps no more than 16 MB of freed blocks. Findings are written into
# tests/fuzz/regressions, which the ordinary tests replay.
FUZZ_FLAGS = -timeout=1 -artifact_prefix=tests/fuzz/regressions/ -print_final_stats=1
fuzz: fuzz-build
	@mkdir -p $(FUZZ_DIR)/corpus
	@$(FUZZ_DIR)/tests/fuzz/make_fuzz_corpus $(FUZZ_DIR)/corpus
	@$(FUZZ_DIR)/tests/fuzz/fuzz_images $(FUZZ_DIR)/corpus tests/fuzz/regressions $(FUZZ_FLAGS) \
	  -max_total_time=$$(( $(FUZZ_SECONDS) * 2 / 3 )) -rss_limit_mb=2048 -malloc_limit_mb=512 \
	  2>&1 | grep -E '^(stat::|Done|==|SUMMARY|artifact)' ; exit $${PIPESTATUS[0]}
	@KAVINEL_FUZZ_DOLL_FILES=1 ASAN_OPTIONS=$(ASAN_OPTIONS):quarantine_size_mb=16 \
	  $(FUZZ_DIR)/tests/fuzz/fuzz_images $(FUZZ_DIR)/corpus $(FUZZ_FLAGS) \
	  -max_total_time=$$(( $(FUZZ_SECONDS) / 3 )) -rss_limit_mb=200 -malloc_limit_mb=16 \
	  2>&1 | grep -E '^(stat::|Done|==|SUMMARY|artifact)' ; exit $${PIPESTATUS[0]}

# The soak test for an hour's worth of frames.
soak: build
	@KAVINEL_SOAK_FRAMES=$(SOAK_FRAMES) $(BUILD_DIR)/tests/kavinel_window_tests \
	  --gtest_filter='Soak.*'

bench: build
	@$(BUILD_DIR)/bench/doll_bench
	@$(BUILD_DIR)/bench/frame_pacing
	@$(BUILD_DIR)/bench/frame_pacing --quiet
	@$(BUILD_DIR)/bench/frame_pacing --shelf
	@$(BUILD_DIR)/bench/load_bench
	@$(BUILD_DIR)/bench/drop_bench
	@$(BUILD_DIR)/bench/animation_bench
	@$(BUILD_DIR)/bench/shape_bench
	@$(BUILD_DIR)/bench/doll_file_bench
	@$(BUILD_DIR)/bench/hostile_doll_file_bench
	@$(BUILD_DIR)/bench/paint_bench
	@$(BUILD_DIR)/bench/shelf_bench
	@$(BUILD_DIR)/bench/handover_bench
	@$(BUILD_DIR)/bench/start_bench

format:
	@tools/source-files.sh | xargs -r -d '\n' clang-format -i

format-check:
	@set -o pipefail; tools/source-files.sh | grep . | xargs -d '\n' clang-format --dry-run -Werror

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
