# The front door: set-up, builds and tests on a fresh Debian machine.
#   make run    build and run tavrel (the POSIX build) here
#   make test   build both builds and run every test
#   make build  build both artifacts without running anything

PACKAGES := cmake make g++ googletest libgtest-dev mingw-w64 g++-mingw-w64-x86-64-posix \
            wine wine64 clang-format clang-tidy xvfb xclip xsel \
            zsh fish man-db groff-base dpkg-dev file

POSIX_TAVREL := build/posix/tavrel
WINDOWS_TAVREL := build/windows/tavrel.exe

.PHONY: all run build test lint format deps clean
.PHONY: install package
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

lint: deps
	clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')
	clang-tidy --quiet -p build/posix $$(git ls-files 'src/*.cpp' | grep -v '/windows/') 2>/dev/null

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
