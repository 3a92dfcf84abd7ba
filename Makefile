# The two commands of the README: `make run` and `make test`. Both install what
# they need first (tools/setup.sh, idempotent). `make run` and `make bench`
# build the i686 tool programs too: they drive the shipped file.
SHELL := /bin/bash
BUILDS := host host-asan win64 win32 win32-tests
# The Python harness (tools/kestrova) for every script run from here.
export PYTHONPATH := $(CURDIR)/tools

.PHONY: setup build test run bench fuzz clean $(addprefix build-,$(BUILDS) fuzz)

setup:
	@bash tools/setup.sh

$(addprefix build-,$(BUILDS) fuzz): build-%: setup
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

build: $(addprefix build-,$(BUILDS))

# One CTest run over the build trees, then which Kestrova.exe the end-to-end
# tests drove and why. The i686 test tree runs only where the setup found that
# this machine runs 32-bit code; the last lines say so either way.
test: build
	@mkdir -p build/all
	@printf 'subdirs("%s")\n' $$(python3 -m kestrova.builds trees $(addprefix $(CURDIR)/build/,$(BUILDS))) \
		>build/all/CTestTestfile.cmake
	@ctest --test-dir build/all --output-on-failure -j2 --timeout 900; rc=$$?; \
		python3 -m kestrova.builds; exit $$rc

run: build-win64 build-win32 build-win32-tests
	@python3 tools/run.py

bench: build-host build-win64 build-win32 build-win32-tests
	@python3 bench/run.py

fuzz: setup build-fuzz
	@python3 tests/fuzz/run.py

clean:
	rm -rf build
