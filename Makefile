# The two commands of the README: `make run` and `make test`. Each installs the Debian packages
# it needs that are missing (tools/install-deps.sh names them by group), configures and builds.
BUILD ?= build
JOBS ?= $(shell nproc)
# Added to every configure: CI passes -DPARTORY_WERROR=ON.
CMAKE_ARGS ?=
DEPS = tools/install-deps.sh
export QT_QPA_PLATFORM ?= offscreen

.PHONY: deps configure build run test bench sanitize fuzz gallery package package-test \
	check-format clean

deps:
	@$(DEPS) build

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The program alone: without the test packages the tests are not even configured.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target partory
	env -u QT_QPA_PLATFORM ./$(BUILD)/partory

# Configured again, as a build made by `make run` before the test packages came has no tests.
test:
	@$(DEPS) test
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS) --timeout 300

# The window cases run on a private Xvfb (with openbox) when Xvfb is there, else offscreen.
bench:
	@$(DEPS) bench
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARTORY_WINDOW=ON \
		-DPARTORY_TESTS=OFF $(CMAKE_ARGS)
	cmake --build build-bench -j $(JOBS) --target partory_bench
	dbus-run-session -- ./build-bench/bench/partory_bench

sanitize:
	@$(DEPS) sanitize
	cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPARTORY_SANITIZE=ON \
		$(CMAKE_ARGS)
	cmake --build build-sanitize -j $(JOBS)
	# The real-window suite runs in `make test`; under the sanitizers its timings would not hold.
	cd build-sanitize && ctest --output-on-failure --no-tests=error -j $(JOBS) --timeout 600 \
		-E '^e2e_'

# libFuzzer targets of the text functions, each run for FUZZ_SECONDS (FUZZ_RUNS instead bounds
# the number of inputs). A separate clang build: the rest of the project builds with g++.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_name_template fuzz_paths
fuzz:
	@$(DEPS) fuzz
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DPARTORY_FUZZ=ON -DPARTORY_WINDOW=OFF -DPARTORY_TESTS=OFF -DPARTORY_BENCH=OFF \
		$(CMAKE_ARGS)
	cmake --build build-fuzz -j $(JOBS) --target $(FUZZ_TARGETS)
	@mkdir -p build-fuzz/corpus
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p build-fuzz/corpus/$$t; \
		echo "== $$t"; \
		./build-fuzz/tests/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) $(if $(FUZZ_RUNS),-runs=$(FUZZ_RUNS)) \
			-max_len=4096 -print_final_stats=1 -artifact_prefix=build-fuzz/$$t- \
			build-fuzz/corpus/$$t || exit 1; \
	done

gallery: build
	./$(BUILD)/tools/partory_gallery $(BUILD)/gallery

# The Debian package, $(BUILD)/partory_1.0_amd64.deb (CPack; libraries found by dpkg-shlibdeps).
package: build
	@$(DEPS) package
	cmake --build $(BUILD) --target package

# lintian on the package; the package built again twice from the commit in two folders, byte
# for byte the same; then installed into a fresh Debian 12 root (debootstrap, needs the network
# and root) and the installed program checked under Xvfb. Slow; not part of `make test`.
package-test: package
	@$(DEPS) package-test
	JOBS=$(JOBS) packaging/package-test.sh $(BUILD)/partory_1.0_amd64.deb

# CI: every C++ file as clang-format makes it, and each with the license's SPDX line first.
check-format:
	@$(DEPS) format
	tools/check-format.sh

clean:
	rm -rf $(BUILD) build-bench build-sanitize build-fuzz
