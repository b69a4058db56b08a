# Installs the Debian 12 packages that are missing, through sudo when not root.
# Usage: . scripts/packages.sh; coffer_install_packages PACKAGE...
coffer_install_packages() {
    missing=""
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}

# What building and running Coffer needs (zlib1g-dev: libxlsxwriter links -lz but does not
# bring its headers and link file along).
COFFER_BUILD_PACKAGES="ca-certificates cmake ninja-build g++ qt6-base-dev libsqlite3-dev \
    libgl-dev fonts-wqy-microhei qt6-translations-l10n qt6-charts-dev libqt6opengl6-dev libsodium-dev \
    libxlsxwriter-dev libcsv-dev libzip-dev libfreexl-dev libpq-dev pkg-config zlib1g-dev qt6-httpserver-dev \
    qt6-websockets-dev libqrencode-dev openssl libpoppler-qt6-dev qt6-image-formats-plugins"
# What the tests need on top (locales: the sources localedef makes a decimal-comma locale
# from; unzip: looking into exported workbooks; chromium and its driver: the phone page in a
# real browser; libclang-rt-14-dev: the sanitizer runtimes the fuzz harnesses link, which
# clang does not pull in; python3-xlwt: writing the old Excel files (.xls) the statement
# tests read).
COFFER_TEST_PACKAGES="libgtest-dev libgmock-dev postgresql clang libfuzzer-14-dev \
    libclang-common-14-dev libclang-rt-14-dev dpkg-dev desktop-file-utils appstream lintian dbus-daemon xvfb \
    locales unzip chromium chromium-driver python3-selenium python3-xlwt"
# What making the Debian package needs on top (dpkg-buildflags, dpkg-shlibdeps).
COFFER_PACKAGE_PACKAGES="dpkg-dev"
# What checking the package needs: the validators of desktop entries, AppStream metadata,
# Debian packages and manual pages, and file(1) for the icons' sizes.
COFFER_PACKAGE_CHECK_PACKAGES="desktop-file-utils appstream lintian man-db file"
# What rendering the icons from their drawings needs (scripts/icons only).
COFFER_ICON_PACKAGES="librsvg2-bin"
# What scripts/fresh-check needs on the machine that runs it: the minimal Debian root, and
# an X server outside it with a way to see Coffer's window appear.
COFFER_FRESH_CHECK_PACKAGES="debootstrap xvfb xdotool"
