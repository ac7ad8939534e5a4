# Two commands do all set-up on a fresh Debian 12 machine: `make run` and `make test`.
BUILD   ?= build
JOBS    ?= 2
DIR     ?=
PACKAGES = cmake make g++ qt6-base-dev xvfb xdotool x11-xkb-utils imagemagick fonts-dejavu-core \
           desktop-file-utils appstream dpkg-dev file \
           exfat-fuse exfatprogs dosfstools fusefat ntfs-3g

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build test run clean bench package package-check

# Installs only what is missing, so a second call is quiet and fast.
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Starts the program in a fresh scratch folder of sample files (build/sample), so every
# option can be tried without touching real files; `make run DIR=path` starts it there.
SAMPLE_FILES = "My Holiday Photo.JPG" "track_01_intro.mp3" "Track_02 Main Theme.MP3" "voice memo.wav" \
               "report.final.v2.txt" "archive.tar.gz" "Отчёт за год.docx" "песня_номер 3.mp3" \
               "Фото С Моря.jpg" "mixed_Case File.TXT" "README.old.md" "scan 0042.bmp"
run: build
	@if [ -n "$(DIR)" ]; then \
	  cd "$(DIR)"; \
	else \
	  rm -rf "$(BUILD)/sample" && mkdir -p "$(BUILD)/sample/Подпапка" "$(BUILD)/sample/more files" && \
	  cd "$(BUILD)/sample" && touch $(SAMPLE_FILES); \
	fi && exec "$(abspath $(BUILD))/ui/velmix"

clean:
	rm -rf $(BUILD)

# Speed and memory figures on folders of up to a million files, in a release build.
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) rename"
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
	cmake --build build-release -j$(JOBS) --target velmix_bench
	build-release/bench/velmix_bench

# The Debian package, in $(BUILD); its dependencies are worked out from the linked libraries.
package: build
	rm -f $(BUILD)/velmix_*.deb
	cd $(BUILD) && cpack -G DEB

# Installs the package with dpkg, starts the installed program under Xvfb, checks its window
# and removes the package again.
package-check: package
	packaging/check-installed-package.sh $(BUILD)/velmix_*.deb
