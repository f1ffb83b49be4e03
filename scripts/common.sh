# Shared by ./run and ./test: install what is missing, then configure and build.

QUILLON_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev clang-format fonts-dejavu-core xvfb
    libssl-dev help2man scdoc)
# What ./test needs besides to check the installation and the Debian package.
QUILLON_INSTALL_CHECK_PACKAGES=(dpkg-dev file desktop-file-utils appstream libxml2-utils shared-mime-info lintian)
QUILLON_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

quillon_install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# quillon_build DIR [cmake options…]
quillon_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        mkdir -p "$dir"
        # A compiler cache, where one is installed, makes rebuilds of other checkouts cheap.
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >"$dir/configure.log" 2>&1 ||
            { cat "$dir/configure.log"; return 1; }
    fi
    echo "Building in $dir (the first build takes several minutes)"
    if ! cmake --build "$dir" --parallel "$(nproc)" >"$dir/build.log" 2>&1; then
        grep -v -E '^\[[0-9]+/[0-9]+\] ' "$dir/build.log"
        return 1
    fi
}

# Whether clang is installed with its libFuzzer runtime, wherever this clang version keeps it.
quillon_has_fuzzer_runtime() {
    command -v clang++ >/dev/null || return 1
    local dir
    dir=$(clang++ --print-runtime-dir 2>/dev/null) || return 1
    # Older layouts name the architecture in the file, newer ones in the folder.
    [ -f "$dir/libclang_rt.fuzzer-$(uname -m).a" ] || [ -f "$dir/libclang_rt.fuzzer.a" ]
}
