#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test twice: as built, and
# under AddressSanitizer and UndefinedBehaviorSanitizer.
source "$(dirname "$0")/lib.sh"

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(private_runtime_dir)}

echo "== Build and test"
configure_and_build "$PLOXA_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLOXA_WERROR=ON
(cd "$PLOXA_ROOT/build" && ctest --output-on-failure -j "$(nproc)")

echo "== Build and test under ASan + UBSan"
configure_and_build "$PLOXA_ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DPLOXA_SANITIZE=ON -DPLOXA_WERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PLOXA_ROOT/tests/lsan.supp:print_suppressions=0
(cd "$PLOXA_ROOT/build-asan" && ctest --output-on-failure -j "$(nproc)")
