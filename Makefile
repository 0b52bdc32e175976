# The two commands of the README:
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test (core, widgets, smoke)
BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

# Build: compiler, CMake, Qt 6 and X11 headers. Tests: Xvfb, a window manager and xdotool for
# the real-window smoke tests. Help: chmcmd (fp-utils) compiles the help file. Fuzzing: clang.
# quillory-tool reads and writes CSV with libcsv.
PACKAGES := cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev \
            libxkbcommon-dev xvfb xauth xdotool openbox x11-utils fp-utils \
            clang libclang-rt-14-dev libcsv-dev

.PHONY: all deps configure build run test clean format

all: build

deps:
	@tools/install-deps.sh $(PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/quillory

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
