# make test   installs what is missing, then runs, in this order: the format
#             check (make format-check); the libFuzzer targets for about 20
#             seconds in all (build-fuzz); the display-free tests built with
#             AddressSanitizer and UndefinedBehaviorSanitizer
#             (build-sanitize); every test of the main build, window tests
#             under Xvfb and weston (build); clang-tidy (make lint); last,
#             the tests of the threads that meet in the download core
#             (worker, list, cli, queue) under ThreadSanitizer (build-tsan).
# make demo   installs what is missing, builds, and runs the program on a
#             bundled example list served from a loopback lighttpd, with a
#             demo program folder in build/demo (scripts/demo.sh).
# make build  the program and the tests (build/).
# make fuzz   the libFuzzer targets, FUZZ_SECONDS (300) each; make test runs
#             them for about 20 seconds in all.
# make install    puts the program in $(PREFIX) (per user: ~/.local by default):
#                 the program folder in lib/tunefetch, links in bin, the menu
#                 entry and icons in share. DESTDIR stages it elsewhere.
# make uninstall  takes it out again and keeps the settings files.
# make deb    builds, then packs the build into tunefetch_<version>_<arch>.deb
#             in this folder (scripts/make-deb.sh): the program folder in
#             /usr/lib/tunefetch, each user's settings in ~/.config/tunefetch/.
# make format       rewrites every C++ file to .clang-format (clang-format-14).
# make format-check  fails on any C++ file that differs from .clang-format.
# make lint   clang-tidy over the display-free libraries and front ends
#             (.clang-tidy, scripts/lint.sh); any warning fails.
# make bench  the benchmarks (build/bench/bench_*), run one after another, then
#             tunefetch-cli against curl and wget (bench/downloaders.sh).
JOBS ?= $(shell nproc)
BUILD := build
SANITIZE_BUILD := build-sanitize
TSAN_BUILD := build-tsan
# Every test of the areas whose threads meet in the download core.
TSAN_TESTS := $(basename $(notdir $(wildcard $(foreach area,worker list cli queue,tests/*/$(area)_*_test.cpp))))
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTF_WERROR=ON
PREFIX ?= $(HOME)/.local

.PHONY: deps deps-build deps-test deps-demo deps-bench build demo test test-main test-sanitize test-thread test-fuzz fuzz fuzz-build bench clean install uninstall deb format format-check lint test-lint

# The packages each kind of work needs (scripts/install-deps.sh): a plain
# build asks only for the build group, so a user who is not root and has it
# installed builds without being asked for more.
deps: deps-build deps-test deps-demo deps-bench
deps-build deps-test deps-demo deps-bench:
	@bash scripts/install-deps.sh $(@:deps-%=%)

build: deps-build
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

demo: build deps-demo
	bash scripts/demo.sh $(BUILD)

test: format-check test-fuzz test-sanitize test-main test-lint test-thread

# The libFuzzer targets of tests/fuzz (built with clang in build-fuzz):
# test-fuzz gives them about 20 seconds in all, fuzz FUZZ_SECONDS each. Any
# finding fails the run (scripts/run-fuzzers.sh).
FUZZ_BUILD := build-fuzz
FUZZ_TARGETS := sjis bmp ini keystore busframe busfiles skin language list fetch
FUZZ_SECONDS ?= 300

fuzz-build: deps-build deps-test
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DTF_FUZZ=ON -DTF_GUI=OFF -DTF_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

test-fuzz: fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_BUILD) 2 $(FUZZ_TARGETS)

fuzz: fuzz-build
	scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

test-main: build deps-test
	cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

test-sanitize: deps-build deps-test
	cmake -S . -B $(SANITIZE_BUILD) $(CMAKE_FLAGS) -DTF_GUI=OFF -DTF_SANITIZE=ON -DTF_BENCH=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

test-thread: deps-build deps-test
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_FLAGS) -DTF_GUI=OFF -DTF_TSAN=ON -DTF_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tunefetch-cli $(TSAN_TESTS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L 'worker|list|cli|queue'

bench: build deps-bench
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; \
	  case "$$b" in */bench_ui_*) xvfb-run -a -s "-screen 0 1280x1024x24" "$$b";; *) "$$b";; esac; done
	@echo "== bench/downloaders.sh" && bench/downloaders.sh $(BUILD)

install: build
	scripts/install.sh install $(BUILD) "$(PREFIX)" "$(DESTDIR)"

uninstall:
	scripts/install.sh uninstall "$(PREFIX)" "$(DESTDIR)"

deb: build deps-test
	scripts/make-deb.sh $(BUILD) .

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) build-fuzz

CLANG_FORMAT := clang-format-14
FORMATTED = $(shell git ls-files '*.cpp' '*.h')

format: deps-test
	$(CLANG_FORMAT) -i $(FORMATTED)

format-check: deps-test
	@$(CLANG_FORMAT) --dry-run --Werror $(FORMATTED) && echo "format-check: every file follows .clang-format"

lint test-lint: build deps-test
	scripts/lint.sh $(BUILD)
