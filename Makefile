# Entry points for a fresh Debian 12 machine; each installs what is missing
# first. Build folders live under build/.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all demo test bench clean deps

all: test

deps:
	@scripts/install-deps

# Release build, then the demonstration of the libraries at work.
demo: deps
	cmake -S . -B $(BUILD)/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_BUILD_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS) --target nuv
	$(BUILD)/release/bin/nuv demo

# Debug build under AddressSanitizer and UndefinedBehaviorSanitizer, then
# every test.
test: deps
	cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Release build of the benchmarks beside their peer libraries.
bench:
	@scripts/install-deps --bench
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_BUILD_TESTS=OFF -DNUV_BUILD_BENCH=ON
	cmake --build $(BUILD)/bench -j $(JOBS)
	cmake --build $(BUILD)/bench --target run-benchmarks

clean:
	rm -rf $(BUILD)
