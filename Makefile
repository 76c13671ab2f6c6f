# Lockwarden Editor: the two commands a developer needs are `make run` and `make test`.
# Both install the Debian packages the project needs first (see `deps`).

JOBS        ?= $(shell nproc)
BUILD_DIR   ?= build
DEBUG_DIR   := $(BUILD_DIR)/debug
RUN_DIR     := $(BUILD_DIR)/run
BENCH_DIR   := $(BUILD_DIR)/release
FUZZ_DIR    := $(BUILD_DIR)/fuzz
PACKAGE_DIR := $(BUILD_DIR)/package
FUZZ_SECONDS ?= 60

# Everything the build, the tests, the benchmarks, the fuzzers and `make run` use.
PACKAGES := cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format \
            libssl-dev libsodium-dev libcli11-dev nlohmann-json3-dev libutfcpp-dev libbenchmark-dev libpugixml-dev libcsv-dev \
            liboath-dev libzxcvbn-dev oathtool \
            qt6-base-dev qt6-svg-dev libgl-dev libx11-dev fonts-liberation2 fonts-dejavu-core \
            xvfb xauth qt6-qpa-plugins openssl python3 time dbus poppler-utils

CMAKE_COMMON := -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

# What `make package` needs besides the build: dpkg-shlibdeps (dpkg-dev, which reads the binaries with
# file) computes the dependencies, lintian checks the result.
PACKAGES += dpkg-dev file lintian

# The package's binaries are built with the hardening Debian builds its own packages with.
PACKAGE_CFLAGS  := -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection -fcf-protection
PACKAGE_LDFLAGS := -Wl,-z,relro -Wl,-z,now

.PHONY: all deps build test run bench fuzz package package-check format clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then exit 0; fi; \
	if [ "$$(id -u)" -ne 0 ]; then \
	    echo "Missing Debian packages. Install them with:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	fi; \
	echo "Installing:$$missing"; \
	export DEBIAN_FRONTEND=noninteractive; \
	apt-get update -qq && apt-get install -y -qq --no-install-recommends$$missing

# Debug build with AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors, then every test.
test: deps
	cmake -S . -B $(DEBUG_DIR) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DLW_SANITIZE=ON -DLW_WERROR=ON
	cmake --build $(DEBUG_DIR) -j $(JOBS)
	cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

build: deps
	cmake -S . -B $(RUN_DIR) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLW_BUILD_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)

# Starts the editor; until it exists, shows what the command-line tool offers.
run: build
	@if [ -x $(RUN_DIR)/src/app/lockwarden-editor ]; then \
	    exec $(RUN_DIR)/src/app/lockwarden-editor; \
	else \
	    $(RUN_DIR)/src/cli/lockwarden-cli --help; \
	fi

bench: deps
	cmake -S . -B $(BENCH_DIR) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release -DLW_BUILD_TESTS=OFF -DLW_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do \
	    [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; \
	done
	@echo "== whole processes against openssl enc"
	python3 bench/compare_openssl.py --cli $(BENCH_DIR)/src/cli/lockwarden-cli

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DLW_BUILD_TESTS=OFF -DLW_BUILD_GUI=OFF -DLW_BUILD_FUZZ=ON -DLW_SANITIZE=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for f in $(FUZZ_DIR)/fuzz/*_fuzzer; do \
	    [ -f "$$f" ] && [ -x "$$f" ] || continue; name=$$(basename $$f); mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_DIR)/corpus/$$name fuzz/corpus/$$name || exit 1; \
	done

# A Debian package of the editor and lockwarden-cli from a Release build without tests, then its check.
package: deps
	cmake -S . -B $(PACKAGE_DIR) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release -DLW_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_C_FLAGS="$(PACKAGE_CFLAGS)" -DCMAKE_CXX_FLAGS="$(PACKAGE_CFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(PACKAGE_LDFLAGS)"
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	rm -f $(PACKAGE_DIR)/*.deb
	cd $(PACKAGE_DIR) && cpack -G DEB
	$(MAKE) package-check

# The package's file list, permissions, dependencies and lintian's verdict (packaging/check-package.sh).
package-check:
	packaging/check-package.sh $(PACKAGE_DIR)/lockwarden-editor_*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
