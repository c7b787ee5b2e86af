# Two entry points: `make run` and `make test`. Both install what is missing,
# configure and build into build/.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

FUZZ_SECONDS ?= 60
FUZZ_RUNS ?=
FUZZ_TARGETS = $(basename $(notdir $(wildcard fuzz/fuzz_*.cpp)))

.PHONY: all deps build run test test-user bench bench-handwriting bench-ocr fuzz sanitize word-costs check-ime deb check-deb clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -x $(BUILD)/bin/tolvo ]; then \
	  if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "No display found; starting tolvo under xvfb-run."; xvfb-run -a $(BUILD)/bin/tolvo; \
	  else $(BUILD)/bin/tolvo; fi; \
	else $(BUILD)/bin/tolvo-solve 続家版露身発; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The suite again as an unprivileged user, where permission faults show
# (run as root: it creates the user tolvo-test when missing).
test-user: build
	@scripts/install-deps user
	scripts/test-as-user $(BUILD) $(JOBS)

bench: build
	$(BUILD)/bin/tolvo-bench

# The kanji pad's recognition rates on the jōyō kanji, from stroke data
# installed with npm (hanzi-writer-data) into the build folder. Not part of
# make test or CI.
HANDWRITING_DATA = $(BUILD)/handwriting-data/node_modules/hanzi-writer-data
bench-handwriting: build
	@scripts/install-deps handwriting
	@[ -d $(HANDWRITING_DATA) ] || npm install --prefix $(BUILD)/handwriting-data --no-save --no-audit --no-fund \
	  hanzi-writer-data@2.0.1
	$(BUILD)/bin/tolvo-bench-handwriting --data $(HANDWRITING_DATA) -d $(BUILD)/bin/tolvo.dic \
	  --strokes $(BUILD)/bin/tolvo.strokes --mouse bench/mouse-drawings.txt

# The picture reader's figures on generated puzzle pictures, per style and
# kanji size. Not part of make test or CI.
bench-ocr: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/tolvo-bench-ocr -d $(BUILD)/bin/tolvo.dic --count 24

# The Debian package tolvo_VERSION_ARCH.deb, copied here: CPack over a
# Release build with Debian's hardening flags (dpkg-buildflags).
DEB_BUILD ?= build-deb
deb:
	@scripts/install-deps deb
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DTOLVO_PACKAGE=ON -DBUILD_TESTING=OFF \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build $(DEB_BUILD) -j$(JOBS)
	rm -f $(DEB_BUILD)/tolvo_*.deb
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/tolvo_*.deb .
	@ls tolvo_*.deb

# The package checked as a user meets it (CI runs this; make test does not):
# lintian, appstreamcli and desktop-file-validate, then installed with
# apt-get, run as a normal user under Xvfb, and removed again.
check-deb: deb
	@scripts/install-deps check-deb
	tests/scripts/deb_package.sh $$(ls -t tolvo_*.deb | head -n 1)

# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and, run as root, once more as the unprivileged user tolvo-test. Every report
# ends its process and is kept in build-asan/sanitizer-reports, a test's child
# process's included; any report fails the run.
SANITIZER_REPORTS = $(CURDIR)/build-asan/sanitizer-reports
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:log_path=$(SANITIZER_REPORTS)/asan \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$(SANITIZER_REPORTS)/ubsan \
  LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0
sanitize: deps
	cmake -S . -B build-asan -DTOLVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j$(JOBS)
	rm -rf $(SANITIZER_REPORTS) && mkdir -p $(SANITIZER_REPORTS)
	status=0; \
	(cd build-asan && QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) ctest --output-on-failure -j$(JOBS)) || status=1; \
	if [ "$$(id -u)" -eq 0 ]; then \
	  scripts/install-deps user && env $(SANITIZER_ENV) scripts/test-as-user build-asan $(JOBS) || status=1; \
	fi; \
	scripts/sanitizer-reports $(SANITIZER_REPORTS) || status=1; \
	exit $$status

# Each fuzz target for FUZZ_SECONDS, or for FUZZ_RUNS inputs when set. Any
# sanitizer report or crash fails the run and is shown whole; a crashing
# input is kept as build-fuzz/<target>-crash-*.
FUZZ_ENV = UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=abort_on_error=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0
FUZZ_REPORT = runtime error:|ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|SUMMARY: 
fuzz:
	@scripts/install-deps fuzz
	CXX=clang++ cmake -S . -B build-fuzz -DTOLVO_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j$(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  echo "== $$t"; \
	  $(FUZZ_ENV) build-fuzz/bin/$$t -max_len=65536 -rss_limit_mb=4096 -artifact_prefix=build-fuzz/$$t- \
	    $(if $(FUZZ_RUNS),-runs=$(FUZZ_RUNS),-max_total_time=$(FUZZ_SECONDS)) \
	    build-fuzz/corpus/$$t fuzz/corpus/$$t > build-fuzz/$$t.log 2>&1; \
	  status=$$?; \
	  if [ $$status -eq 0 ] && ! grep -qE '$(FUZZ_REPORT)' build-fuzz/$$t.log; then \
	    grep '^Done' build-fuzz/$$t.log || tail -n 3 build-fuzz/$$t.log; \
	  else \
	    report=$$(awk '/$(FUZZ_REPORT)/ { found = 1 } found' build-fuzz/$$t.log); \
	    if [ -n "$$report" ]; then printf '%s\n' "$$report"; else tail -n 40 build-fuzz/$$t.log; fi; \
	    echo "fuzz: $$t failed (exit status $$status); the whole log is build-fuzz/$$t.log" >&2; \
	    exit 1; \
	  fi; \
	done

# Rebuilds the committed word-cost table from UniDic; installs unidic-mecab first.
word-costs:
	@scripts/install-deps word-costs
	python3 tools/mkdic/make-word-costs.py -o tools/mkdic/word-costs.tsv

# Japanese input through IBus and Mozc, typed into tolvo under Xvfb as a
# normal user. Installs IBus and Mozc; not part of `make test` or CI.
check-ime: build
	scripts/check-ime $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-fuzz $(DEB_BUILD)
