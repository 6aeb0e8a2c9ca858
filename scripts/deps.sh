# Debian 12 packages the build needs; sourced by run.sh and test.sh.
# Installs only what is missing, so a machine that has everything does no network work.

ZOETRA_BUILD_PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev libjpeg62-turbo-dev fonts-liberation fonts-dejavu-core"
ZOETRA_TEST_PACKAGES="libgtest-dev libgmock-dev libgif-dev xauth xvfb"
ZOETRA_BENCH_PACKAGES="libgif-dev libimagequant-dev imagemagick gifsicle"

zoetra_install_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}
