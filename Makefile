# The two commands of the README: `make run` and `make test`. Both install what
# they need first (tools/setup.sh, idempotent).
SHELL := /bin/bash
BUILDS := host host-asan win64 win32

.PHONY: setup build test run bench fuzz clean $(addprefix build-,$(BUILDS) fuzz)

setup:
	@bash tools/setup.sh

$(addprefix build-,$(BUILDS) fuzz): build-%: setup
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

build: $(addprefix build-,$(BUILDS))

# One CTest run over all four build trees, so its summary is the last thing printed.
test: build
	@mkdir -p build/all
	@printf 'subdirs("%s")\n' $(addprefix $(CURDIR)/build/,$(BUILDS)) >build/all/CTestTestfile.cmake
	@ctest --test-dir build/all --output-on-failure -j2 --timeout 900

run: build-win64 build-win32
	@python3 tools/run.py

bench: build-host build-win64 build-win32
	@python3 bench/run.py

fuzz: setup build-fuzz
	@python3 tests/fuzz/run.py

clean:
	rm -rf build
