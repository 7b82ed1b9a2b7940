# The project's commands: `make run` and `make test` first, the rest for releases, benchmarks and fuzzing.

# Extra arguments for the host program in `make run`; nothing runs its built-in demo.
RUN_ARGS ?=
# Arguments of `towerhost serve` in `make serve`: a scenario, --port, --bind, --load, --trace.
SERVE_ARGS ?=
# Seconds each fuzz target runs in `make fuzz`.
FUZZ_SECONDS ?= 60
# Parallel build jobs; empty leaves the choice to the build tool.
JOBS ?=

BUILD = cmake --build --preset $(1) $(if $(JOBS),--parallel $(JOBS))

.PHONY: all bootstrap run serve test release bench fuzz fuzz-build clean dev win32 win64

all: dev

bootstrap:
	@tools/bootstrap.sh

# A preset's build directory is configured when it is missing or the presets changed; everything else is
# the build tool's to bring up to date.
build/%/build.ninja: CMakePresets.json
	cmake --preset $*
	@touch $@

dev: bootstrap build/dev/build.ninja
	$(call BUILD,dev)

win32: bootstrap build/win32/build.ninja
	$(call BUILD,win32)

win64: bootstrap build/win64/build.ninja
	$(call BUILD,win64)

run: dev
	build/dev/bin/towerhost $(RUN_ARGS)

# The tower in a web browser: prints the address to open; Ctrl-C stops it.
serve: dev
	build/dev/bin/towerhost serve $(SERVE_ARGS)

fuzz-build: bootstrap build/fuzz/build.ninja
	$(call BUILD,fuzz)

# The tests run the 64-bit Windows build under Wine beside the native one.
test: dev win32 win64 fuzz-build
	ctest --preset dev

release: bootstrap build/release/build.ninja
	$(call BUILD,release)

# Every benchmark program (bench/, named ...Bench) of the optimised build, one after the other.
bench: release
	@set -e; found=0; \
	for program in build/release/bin/*Bench; do \
		[ -x "$$program" ] || continue; found=1; \
		echo "== $$program"; "$$program"; \
	done; \
	[ $$found -eq 1 ] || echo "no benchmark programs were built"

# Every fuzz target (fuzz/, named ...Fuzz) for FUZZ_SECONDS, each with its corpus under build/fuzz/corpus and
# the seeds of fuzz/corpus/<target> when there are any.
fuzz: fuzz-build
	@set -e; found=0; \
	for program in build/fuzz/bin/*Fuzz; do \
		[ -x "$$program" ] || continue; found=1; \
		name=$$(basename "$$program"); corpus=build/fuzz/corpus/$$name; mkdir -p "$$corpus"; \
		seeds=fuzz/corpus/$$name; [ -d "$$seeds" ] || seeds=; \
		echo "== $$program ($(FUZZ_SECONDS) s)"; \
		"$$program" -max_total_time=$(FUZZ_SECONDS) "$$corpus" $$seeds; \
	done; \
	[ $$found -eq 1 ] || echo "no fuzz targets were built"

clean:
	rm -rf build/dev build/release build/fuzz build/win32 build/win64
