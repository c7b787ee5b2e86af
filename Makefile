# Two entry points: `make run` and `make test`. Both install what is missing,
# configure and build into build/.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build run test bench fuzz sanitize clean

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

bench: build
	$(BUILD)/bin/tolvo-bench

clean:
	rm -rf $(BUILD)
