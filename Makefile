# The two entry points: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
MAKEFLAGS += --no-print-directory
CMAKE_FLAGS = -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup build demo test bench clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j2

demo: build
	@scripts/demo $(BUILD)

# Figures, never assertions: the cost of each spec-check method per call through a page script.
bench: build
	@scripts/bench $(BUILD)

# ctest's summary is the last thing printed.
test: build
	@cd $(BUILD) && ctest -j2 --output-on-failure

clean:
	@[ ! -d $(BUILD)/wineprefix ] || scripts/prefix stop $(CURDIR)/$(BUILD)/wineprefix 2>/dev/null || true
	rm -rf $(BUILD)
