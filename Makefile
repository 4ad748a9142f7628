# Kavinel: `make run` builds and starts the program on the sample doll, `make test` runs
# every test. Both first install any missing Debian package.
BUILD_DIR ?= build
RUN_DIR   ?= run
JOBS      ?= $(shell nproc)

.PHONY: all deps configure build run test bench format format-check clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@mkdir -p $(RUN_DIR)
	@cp -n samples/*.bmp $(RUN_DIR)/ 2>/dev/null || true
	@cd $(RUN_DIR) && ../$(BUILD_DIR)/Kavinel

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD_DIR)/bench/doll_bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	@rm -rf $(BUILD_DIR)
