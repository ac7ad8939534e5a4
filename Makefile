# Two commands do all set-up on a fresh Debian 12 machine: `make run` and `make test`.
BUILD   ?= build
SANITIZE_BUILD ?= build-sanitize
JOBS    ?= 2
DIR     ?=
PACKAGES = cmake make g++ qt6-base-dev libicu-dev libpcre2-dev libtag1-dev libexiv2-dev libheif-dev pkg-config libx11-dev xvfb xdotool x11-xkb-utils openbox fonts-dejavu-core fonts-freefont-ttf qt6-translations-l10n \
           desktop-file-utils appstream dpkg-dev file \
           exfat-fuse exfatprogs dosfstools fusefat mtools ntfs-3g strace \
           dbus at-spi2-core python3-gi gir1.2-atspi-2.0

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# What test-kernel needs besides: an emulator, Debian's kernel and a shell for its initramfs.
KERNEL_PACKAGES = qemu-system-x86 linux-image-amd64 busybox-static kmod cpio

.PHONY: deps configure build test test-unit test-sanitize test-kernel test-long run clean bench package package-check

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

# The core's fast tests alone (the `unit` label: no window, no mounted image, no X server),
# a few seconds once built.
test-unit: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) -L unit

# The core and its tests in a Debug build (assertions on) with AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding fails the test that hit it.
test-sanitize: deps
	@[ -f $(SANITIZE_BUILD)/CMakeCache.txt ] || cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
	  -DVELMIX_SANITIZE=ON -DVELMIX_WITH_UI=OFF
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/leaks.supp \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

# The rename tests on the kernel's own exfat, vfat and msdos drivers, in a virtual machine
# that boots Debian's kernel (tests/kernel); skipped with the reason where it cannot boot.
# The cases too slow for every `make test` (CI runs them): a full 512-entry FAT root renamed
# on fusefat, more random batches, every kill of the crash test and every way of stopping
# an apply on FUSE media; tests of their own (label `long`), with a time limit to match.
test-long: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -C Long -L long

test-kernel: configure
	@$(MAKE) --no-print-directory deps PACKAGES="$(KERNEL_PACKAGES)"
	cmake --build $(BUILD) -j$(JOBS) --target tst_rename_media tst_rename_random
	sh tests/kernel/run.sh $(BUILD)

# Starts the program in a fresh scratch folder of sample files (build/sample), so every
# option can be tried without touching real files; `make run DIR=path` starts it there.
# Builds the program alone, not the tests, and needs a display.
SAMPLE_FILES = "My Holiday Photo.JPG" "track_01_intro.mp3" "Track_02 Main Theme.MP3" "voice memo.wav" \
               "report.final.v2.txt" "archive.tar.gz" "Отчёт за год.docx" "песня_номер 3.mp3" \
               "Фото С Моря.jpg" "mixed_Case File.TXT" "README.old.md" "scan 0042.bmp"
run: configure
	cmake --build $(BUILD) -j$(JOBS) --target velmix
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	  echo "make run needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window" \
	       "cannot be shown. The program is built: $(BUILD)/bin/velmix" >&2; \
	  exit 1; \
	fi
	@if [ -n "$(DIR)" ]; then \
	  cd "$(DIR)"; \
	else \
	  rm -rf "$(BUILD)/sample" && mkdir -p "$(BUILD)/sample/Подпапка" "$(BUILD)/sample/more files" && \
	  cd "$(BUILD)/sample" && touch $(SAMPLE_FILES); \
	fi && exec "$(abspath $(BUILD))/bin/velmix"

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)

# Speed and memory figures on folders of up to a million files, in a release build.
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) rename mmv"
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
	cmake --build build-release -j$(JOBS) --target velmix_bench
	build-release/bench/velmix_bench

# The Debian package, in $(BUILD); its dependencies are worked out from the linked libraries.
# Builds only what it packs (the program, its man page and completions), not the tests.
package: configure
	cmake --build $(BUILD) -j$(JOBS) --target velmix cli_documents
	rm -f $(BUILD)/velmix_*.deb
	cd $(BUILD) && cpack -G DEB

# Installs the package with dpkg, starts the installed program under Xvfb, checks its window
# and removes the package again.
package-check: package
	$(BUILD)/packaging/check-installed-package.sh $(BUILD)/velmix_*.deb
