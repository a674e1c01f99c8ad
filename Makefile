# Front door: `make test` and `make demo` work on a fresh Debian 12 machine.
# SANITIZE=address|undefined|thread builds into build-$(SANITIZE) instead.

SANITIZE ?=
BUILD_DIR ?= $(if $(SANITIZE),build-$(SANITIZE),build)
BUILD_TYPE ?= $(if $(SANITIZE),Debug,RelWithDebInfo)
JOBS ?= 2
CMAKE_ARGS ?=

.PHONY: all deps configure build test demo bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DMSS_SANITIZE=$(SANITIZE) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp $(TSAN_OPTIONS)" \
		ctest --output-on-failure -j $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD_DIR)

clean:
	rm -rf build build-address build-undefined build-thread
