# Entry points for a fresh Debian 12 machine; each installs what is missing
# first. Build folders live under build/.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
DOCS_DIR   := $(abspath $(BUILD))/docs
PKG_DIR    := $(abspath $(BUILD))/pkg/packages

.PHONY: all demo test bench docs package clean deps

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
	cmake -S . -B $(BUILD)/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON \
	  -DNUV_DOCS_DIR=$(DOCS_DIR) -DNUV_PACKAGE_DIR=$(PKG_DIR)
	cmake --build $(BUILD)/asan -j $(JOBS)
	cd $(BUILD)/asan && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Release build of the benchmarks beside their peer libraries.
bench:
	@scripts/install-deps --bench
	cmake -S . -B $(BUILD)/bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_BUILD_TESTS=OFF -DNUV_BUILD_BENCH=ON
	cmake --build $(BUILD)/bench -j $(JOBS)
	cmake --build $(BUILD)/bench --target run-benchmarks

# The API reference of the public headers in $(BUILD)/docs/html.
docs:
	@scripts/install-deps --docs
	cmake -S . -B $(BUILD)/docs $(CMAKE_GEN) -DNUV_BUILD_TESTS=OFF -DNUV_DOCS_DIR=$(DOCS_DIR)
	cmake --build $(BUILD)/docs --target docs
	@echo "API reference: $(DOCS_DIR)/html/index.html"

# Debian packages (runtime, development, tool) in $(PKG_DIR), built with
# Debian's hardening flags for /usr, then checked by lintian.
package:
	@scripts/install-deps --package
	cmake -S . -B $(BUILD)/pkg $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DNUV_BUILD_TESTS=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr \
	  "-DCMAKE_CXX_FLAGS=$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  "-DCMAKE_SHARED_LINKER_FLAGS=$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
	  "-DCMAKE_EXE_LINKER_FLAGS=$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"
	cmake --build $(BUILD)/pkg -j $(JOBS)
	cd $(BUILD)/pkg && cpack -G DEB
	lintian --no-tag-display-limit $(PKG_DIR)/*.deb || true

clean:
	rm -rf $(BUILD)
