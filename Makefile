# The two commands of the README: `make run` and `make test`.
# Each installs what is missing (Debian packages, as root), configures, builds, then runs.

BUILD      ?= build
JOBS       ?= $(shell nproc)
PACKAGES   := cmake g++ make qtbase5-dev qtbase5-dev-tools qt5-image-formats-plugins
BENCH_PKGS := libbenchmark-dev
CMAKE_ARGS ?=

.PHONY: run test build setup bench screenshot package clean

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display available: run it under Xvfb with 'xvfb-run -a make run'."; exit 1; fi
	$(BUILD)/app/talvern

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

build: setup
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

bench: PACKAGES += $(BENCH_PKGS)
bench: setup
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBENCH=ON
	cmake --build build-bench -j $(JOBS) --target defects_bench app_bench cli_bench ui_bench detection_bench detection_quality
	@echo "Benchmarks built in build-bench/bench/."

package: PACKAGES += dpkg-dev help2man lintian desktop-file-utils appstream
package: setup
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack
	desktop-file-validate packaging/talvern.desktop
	appstreamcli validate --no-net packaging/com.corvane.Talvern.metainfo.xml
	lintian --fail-on error build-package/talvern_*.deb

screenshot: PACKAGES += xvfb xauth imagemagick
screenshot: build
	tools/screenshot.sh $(BUILD)
	tools/screenshot.sh --session $(BUILD)
	tmp=$$(mktemp -d) && HOME=$$tmp XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data ZORVIK_SIM_HOME=$$tmp/cameras \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/tools/map_showcase docs >/dev/null; status=$$?; rm -rf $$tmp; exit $$status
	for scale in 1 2; do tmp=$$(mktemp -d) && HOME=$$tmp XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data \
	  ZORVIK_SIM_HOME=$$tmp/cameras QT_SCALE_FACTOR=$$scale xvfb-run -a -s "-screen 0 1920x1600x24" \
	  $(BUILD)/tools/layout_showcase docs/layout scale$$scale >/dev/null 2>&1; status=$$?; rm -rf $$tmp; \
	  [ $$status = 0 ] || exit $$status; done

setup:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Run: sudo apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

clean:
	rm -rf $(BUILD) build-bench build-package
