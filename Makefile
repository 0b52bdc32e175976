# The two commands of the README:
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test (core, widgets, smoke)
BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

# Building and running: compiler, CMake, Qt 6 and X11 headers, chmcmd (fp-utils) for the help
# file, libcsv for quillory-tool. Testing adds Xvfb, a window manager and xdotool for the
# real-window smoke tests, and clang for the fuzz targets. One package per line, to merge easily.
RUN_PACKAGES := \
    cmake \
    make \
    g++ \
    pkg-config \
    qt6-base-dev \
    qt6-base-dev-tools \
    libgl-dev \
    libx11-dev \
    libxkbcommon-dev \
    fp-utils \
    libcsv-dev
TEST_PACKAGES := \
    xvfb \
    xauth \
    xdotool \
    openbox \
    x11-utils \
    clang \
    libclang-rt-14-dev

# make run installs the program here and starts it from here: its data folders are made beside
# it, outside the build folder, so no clean or rebuild can touch the library's records.
PROGRAM_DIR ?= $(HOME)/.local/opt/quillory

.PHONY: all deps test-deps configure build install run test clean format

all: build

deps:
	@tools/install-deps.sh $(RUN_PACKAGES)

test-deps:
	@tools/install-deps.sh $(RUN_PACKAGES) $(TEST_PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

install: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target quillory quillory-tool
	cmake --install $(BUILD_DIR) --prefix $(PROGRAM_DIR)

run: install
	$(PROGRAM_DIR)/quillory

test: test-deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Data folders a program run from the build folder may have made there are kept.
clean:
	@if [ -d $(BUILD_DIR) ]; then \
	    find $(BUILD_DIR) -mindepth 1 -maxdepth 1 ! -name stats ! -name profiles ! -name loaned \
	        -exec rm -rf {} +; \
	    for d in stats profiles loaned; do \
	        [ -d $(BUILD_DIR)/$$d ] && echo "kept $(BUILD_DIR)/$$d (data folder)"; \
	    done; true; \
	fi
