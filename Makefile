# The front door: set-up, builds and tests on a fresh Debian machine.
#   make run    build and run tavrel (the POSIX build) here
#   make test   build both builds and run every test
#   make build  build both artifacts without running anything
#   make sanitize  the POSIX build and its tests under ASan and UBSan
#   make fuzz   each fuzz target for FUZZ_SECONDS seconds (default 60)
#   make bench  build the POSIX release build and run the benchmark

PACKAGES := cmake make g++ googletest libgtest-dev mingw-w64 g++-mingw-w64-x86-64-posix \
            wine wine64 clang-format clang-tidy xvfb xclip xsel \
            zsh fish man-db groff-base dpkg-dev file libbenchmark-dev valgrind \
            strace clang libclang-rt-14-dev

POSIX_TAVREL := build/posix/tavrel
WINDOWS_TAVREL := build/windows/tavrel.exe

.PHONY: all run build test lint format deps clean
.PHONY: install package sanitize fuzz bench
all: build

# Installs what is missing when run as root; otherwise says what to install.
deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:" $$missing; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing </dev/null; \
	  else \
	    echo "Missing packages. Run:"; \
	    echo "  sudo apt-get install -y" $$missing; \
	    exit 1; \
	  fi; \
	fi

build: deps
	cmake --preset posix
	cmake --build --preset posix
	cmake --preset windows
	cmake --build --preset windows

run: deps
	cmake --preset posix
	cmake --build --preset posix --target tavrel
	$(POSIX_TAVREL)

test: build lint
	ctest --preset posix
	ctest --preset windows
	$(MAKE) sanitize
	$(MAKE) fuzz

sanitize: deps
	cmake --preset posix-asan
	cmake --build --preset posix-asan
	ctest --preset posix-asan

# Each target runs from its committed seeds; what it finds beyond them is
# kept under build/fuzz/corpus, a crashing input under build/fuzz/.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := command_line fields conversion lower_case sort
fuzz: deps
	cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/fuzz -j2
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build/fuzz/corpus/$$t; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  build/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/$$t- build/fuzz/corpus/$$t fuzz/corpus/$$t \
	    2>build/fuzz/$$t.log || { tail -n 40 build/fuzz/$$t.log; exit 1; }; \
	  grep -E '^stat::number_of_executed_units' build/fuzz/$$t.log; \
	done

lint: deps
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')
	clang-tidy --quiet -p build/posix $$(git ls-files 'src/*.cpp' | grep -v '/windows/') 2>/dev/null

# The release build, the whole-process timings over sibling trees and the
# micro-benchmarks of the sort and the selection.
bench: deps
	cmake --preset posix-release
	cmake --build --preset posix-release
	bench/run.sh build/posix-release
	build/posix-release/bench_micro --benchmark_min_time=0.2

# The POSIX build under PREFIX, staged under DESTDIR when that is given.
PREFIX ?= /usr/local
install: deps
	cmake --preset posix
	cmake --build --preset posix --target tavrel
	DESTDIR='$(DESTDIR)' cmake --install build/posix --prefix '$(PREFIX)'

# The Debian package of the POSIX build and the Windows zip.
package: build
	cd build/posix && cpack -G DEB
	cd build/windows && cpack -G ZIP
	@ls build/posix/*.deb build/windows/*.zip

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
