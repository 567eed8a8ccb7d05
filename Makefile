# Quick start:  make run   (installs what is missing, builds, starts Quillon)
#               make test  (installs what is missing, builds, runs every test)
BUILD_DIR ?= build
ASAN_BUILD_DIR ?= build-asan
TSAN_BUILD_DIR ?= build-tsan
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-x11 test-asan test-tsan bench fuzz mutation bitmaps screenshot install clean

all: build

deps:
	@bash tools/install-deps.sh

# Configures only a new build folder; afterwards the build itself re-runs CMake when a CMake file
# changed.
build: deps
	@test -f $(BUILD_DIR)/build.ninja || \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/quillon

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The real program on a virtual X server with a window manager (also part of make test).
test-x11: build
	bash tests/x11/run.sh $(BUILD_DIR)/bin/quillon $(BUILD_DIR)/tests/dialogs/quillon_picker_probe

# The same tests, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@test -f $(ASAN_BUILD_DIR)/build.ninja || \
	  cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON -DQUILLON_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The engine's tests built with ThreadSanitizer: the decode, output, sync and control threads and
# the callbacks that cross them. Any report fails the run.
# Reports go to files, since the audio libraries silence the standard error while they start.
TSAN_ENV = TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66 log_path=$(CURDIR)/$(TSAN_BUILD_DIR)/tsan-report suppressions=$(CURDIR)/tools/tsan.supp"
test-tsan: deps
	@test -f $(TSAN_BUILD_DIR)/build.ninja || \
	  cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_THREAD_SANITIZE=ON -DQUILLON_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS) --target quillon_engine_core_tests quillon_engine_tests
	rm -f $(TSAN_BUILD_DIR)/tsan-report.*
	$(TSAN_ENV) $(TSAN_BUILD_DIR)/tests/engine/quillon_engine_core_tests || (cat $(TSAN_BUILD_DIR)/tsan-report.* ; exit 1)
	$(TSAN_ENV) $(TSAN_BUILD_DIR)/tests/engine/quillon_engine_tests || (cat $(TSAN_BUILD_DIR)/tsan-report.* ; exit 1)

# Benchmarks (figures in the README), and the figures of the sound check on a PulseAudio server; the
# first run encodes its test songs, which takes a while.
bench: build
	$(BUILD_DIR)/bench/quillon-decode-bench
	$(BUILD_DIR)/bench/quillon-playback-figures
	$(BUILD_DIR)/bench/quillon-loader-bench
	$(BUILD_DIR)/bench/quillon-mixer-timing
	$(BUILD_DIR)/bench/quillon-tempo-bench
	$(BUILD_DIR)/bench/quillon-peaks-bench
	bash tests/engine/sound/run.sh $(BUILD_DIR)/tests/engine/quillon_sound_server_check slow
	bash tests/engine/sound/run.sh $(BUILD_DIR)/tests/engine/quillon_sound_server_check
	bash bench/tag-timing.sh $(BUILD_DIR)/bin/quillon
	bash bench/startup-and-idle.sh $(BUILD_DIR)
	bash bench/waveform-lane.sh $(BUILD_DIR)/bin/quillon

# Fuzzes the engine's stream and music loaders, then the in-memory library loader, each for
# FUZZ_SECONDS (corpora kept in build-fuzz/corpus and build-fuzz/image-corpus).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_FUZZ=ON
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD_DIR)/corpus $(FUZZ_BUILD_DIR)/image-corpus
	bash tools/fuzz-seeds.sh $(FUZZ_BUILD_DIR)/corpus
	$(FUZZ_BUILD_DIR)/fuzz/quillon-engine-fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	  -rss_limit_mb=4096 $(FUZZ_BUILD_DIR)/corpus
	bash tools/fuzz-image-seeds.sh $(FUZZ_BUILD_DIR) $(FUZZ_BUILD_DIR)/image-corpus
	$(FUZZ_BUILD_DIR)/fuzz/quillon-image-loader-fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	  -rss_limit_mb=4096 $(FUZZ_BUILD_DIR)/image-corpus

# Redraws the program's bitmaps into resources/bitmaps (commit the result).
bitmaps: build
	$(BUILD_DIR)/tools/quillon-draw-bitmaps resources/bitmaps

# Applies each one-line change of tools/mutations.txt, rebuilds the test target that must catch it,
# runs it, and lists the changes caught and those that survived.
mutation: build
	python3 tools/mutation-check.py --build $(BUILD_DIR)

# Screenshots of the program and the button demo under a virtual X server, into shots/.
screenshot: build
	bash tools/screenshot.sh $(BUILD_DIR)

# Installs the program (stripped of its debugging information, as distributions package it; the
# build folder keeps its copy for debugging), the desktop entry and the icons under PREFIX (DESTDIR
# is honoured for staging).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(TSAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
