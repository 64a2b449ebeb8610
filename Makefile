# The two entry points: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
MAKEFLAGS += --no-print-directory
# The page origins the controls work for: empty (tests, demo) or "any" for every page.
SITES ?=
CMAKE_FLAGS = -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake -DCMAKE_BUILD_TYPE=Release \
              -DVARNOK_SITES="$(SITES)"

.PHONY: all setup build demo test bench fuzz dist sites-given screenshot clean

all: build

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j2

demo: build
	@scripts/demo $(BUILD)

# Figures, never assertions: one table of per-call costs, the full read against WMI, the launches,
# the DLLs' sizes and a soak of the cheap methods (scripts/bench; BENCH_* scale the counts).
bench: build
	@scripts/bench $(BUILD)

# Each fuzz target for FUZZ_SECONDS (default 300), or for FUZZ_RUNS executions when that is set,
# with the executions it reached; a crash stops with the input that caused it in $(BUILD)/fuzz.
FUZZ_SECONDS ?= 300
FUZZ_RUNS ?=
fuzz: build
	@cd $(BUILD)/fuzz && for t in *_fuzz; do \
	  printf '%-24s ' $$t; \
	  ./$$t $(if $(FUZZ_RUNS),-runs=$(FUZZ_RUNS),-max_total_time=$(FUZZ_SECONDS)) -print_final_stats=1 2>&1 | \
	    awk '/stat::number_of_executed_units/{n=$$2} /^Done/{d=$$0} /ERROR|SUMMARY/{print} \
	         END{print n " executions (" d ")"}'; \
	done

# The shipped files in dist/: both DLLs, a web-install cabinet of each, the MSI, the page library,
# the companion extension for SITES with its store zips, and the docs, with each file's size. The controls work only on pages of SITES, which must be given; SITES=any
# builds them for every page, and the run says so. Signed with Authenticode when SIGN_CERT and
# SIGN_KEY name a PEM certificate and key (SIGN_PASS: the key's password); unsigned, and saying
# so, without them.
# A list with an http entry, or a wildcard over a public suffix (*.com, *.co.uk), is refused;
# ALLOW_HTTP_SITES=1 lets http entries through.
export SIGN_CERT SIGN_KEY SIGN_PASS ALLOW_HTTP_SITES
dist: sites-given build
	@scripts/dist $(BUILD) dist

sites-given:
	@[ -n "$(SITES)" ] || { \
	  echo 'make dist: say which sites the controls work for, as origins scheme://host[:port]:'; \
	  echo '  make dist SITES="https://portal.example https://*.portal.example"'; \
	  echo '  (or SITES=any for controls that every page may use)'; exit 2; } >&2

# ctest's summary is the last thing printed.
test: build
	@cd $(BUILD) && ctest -j2 --output-on-failure

# The sample page as headless Chromium shows it (no controls there: the browser's facts), for the
# README: the page as the build lays it out, beside the joined page library.
screenshot: build
	@scripts/chromium screenshot $(BUILD)/demo/site/index.html docs/sample-page.png 960x800
	@echo "docs/sample-page.png"

clean:
	@[ ! -d $(BUILD)/wineprefix ] || scripts/prefix stop $(CURDIR)/$(BUILD)/wineprefix 2>/dev/null || true
	rm -rf $(BUILD)
