# Sourced by tools/test.sh and tools/test-install.sh: the one build that the tests run on and the
# Debian packages are checked from (build-test/, or $ZN_BUILD_DIR). It is compiled as the packages
# are, with the flags of dpkg-buildflags and every hardening feature on, and with assertions on
# (the Debug configuration keeps Qt's checks), so the tests check the binaries that are shipped and
# CI compiles the program once instead of twice.
export ZN_BUILD_DIR="${ZN_BUILD_DIR:-build-test}" ZN_BUILD_TYPE=Debug
export ZN_CMAKE_OPTIONS="-DZN_DEB_BUILDFLAGS=ON -DZN_BUILD_TESTS=ON -DZN_BUILD_BENCH=ON"
