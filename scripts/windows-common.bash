# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh: the steps of the Windows build, each a
# function. Expects root and mode to be set.

jobs="$(nproc)"
wine64=/usr/lib/wine/wine64
cache_root="${VAMO_WIN_CACHE:-/var/cache/vamobook-windows}"
wbuild="${WIN_BUILD_DIR:-$root/build-windows}"
triple=x86_64-w64-mingw32
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
# Raised whenever the way the libraries are built changes, so that an old
# cache is not taken for a new one; a library whose own recipe changed has
# a number of its own (lib_recipe), so that only it is built again.
recipe=1
lib_recipe() {
  case "$1" in
    qt6-base) echo 2 ;; # r2: scripts/windows-patches/qt6-base-*.patch
    *) echo "$recipe" ;;
  esac
}

declare -a step_lines=()
verdict_done=0

# step NAME FUNCTION: runs FUNCTION and records how long it took.
step() {
  local name="$1" started elapsed
  shift
  started=$(date +%s)
  echo "== windows: $name"
  "$@"
  elapsed=$(($(date +%s) - started))
  step_lines+=("$(printf '%-10s %5d s' "$name" "$elapsed")")
  echo "== windows: $name done in ${elapsed} s"
}

verdict() {
  local rc="$1"
  if [ "$verdict_done" = 1 ]; then return; fi
  verdict_done=1
  echo
  echo "windows: time of each step"
  local line
  for line in "${step_lines[@]}"; do echo "  $line"; done
  if [ "$rc" = 0 ] && [ "$mode" = libs ]; then
    echo "windows: PASSED (libs): the Windows libraries are in $cache_root"
  elif [ "$rc" = 0 ]; then
    echo "windows: PASSED ($mode): built, tested under Wine${installer_done:+, installed, run and uninstalled}"
  else
    echo "windows: FAILED ($mode) in step ${current_step:-?} (exit $rc)"
  fi
}

# ---------------------------------------------------------------- packages

win_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 wine nsis zip unzip
  dpkg-dev patch python3 xvfb xauth xdotool imagemagick icoutils
  cmake ninja-build pkg-config build-essential
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  googletest fonts-wqy-microhei fonts-wine
  opencc libopencc-data
)

install_packages() {
  current_step=packages
  local missing=() p
  for p in "${win_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  local SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  if ((${#missing[@]})); then
    echo "windows: installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The source packages are those of the host's own library packages, so the
# Windows libraries are the same versions as the Linux build's.
src_version() { dpkg-query -W -f='${source:Version}' "$1"; }

# Every library has a folder of its own in the cache, named by its version,
# the compiler's and the recipe's: a new version builds only that library.
# LIBRARY:HOST-DEV-PACKAGE (googletest is taken from /usr/src/googletest).
win_libraries=(googletest:googletest libdeflate:libdeflate-dev libzip:libzip-dev
  qt6-base:qt6-base-dev icu:libicu-dev)

lib_dir() {
  local name="$1" dev="$2" version gcc
  version=$(src_version "$dev")
  gcc=$($triple-gcc-posix -dumpversion)
  echo "$cache_root/${name}_${version}-mingw-gcc${gcc}-r$(lib_recipe "$name")" | tr '+~:' '___'
}

# prefixes: the install folder of every library, one a line.
prefixes() {
  local entry
  for entry in "${win_libraries[@]}"; do echo "$(lib_dir "${entry%%:*}" "${entry#*:}")/prefix"; done
}

require_cache() {
  current_step=cache
  local entry dir
  for entry in "${win_libraries[@]}"; do
    dir=$(lib_dir "${entry%%:*}" "${entry#*:}")
    if [ ! -f "$dir/complete" ]; then
      echo "windows: no library cache at $dir; run 'bash scripts/windows.sh --libs' first" >&2
      return 1
    fi
  done
  win_prefix_path="$(prefixes | paste -sd';')"
  export PKG_CONFIG_LIBDIR
  PKG_CONFIG_LIBDIR="$(prefixes | sed 's|$|/lib/pkgconfig|' | paste -sd:)"
}

# A deb-src entry for the same archive as the binary packages.
ensure_deb_src() {
  local SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return
  fi
  local src=/etc/apt/sources.list.d/debian.sources
  if [ ! -f "$src" ]; then
    echo "windows: no $src to take the source archive from; add a deb-src entry by hand" >&2
    return 1
  fi
  echo "windows: adding deb-src entries beside $src"
  sed 's/^Types: deb$/Types: deb-src/' "$src" | $SUDO tee /etc/apt/sources.list.d/vamobook-deb-src.sources >/dev/null
  $SUDO apt-get update -qq
}

# fetch_source PACKAGE DEV-PACKAGE: unpacks the source package (Debian's
# patches applied) under $cache_root/src once; prints its folder.
fetch_source() {
  local pkg="$1" version upstream dir
  version=$(src_version "$2")
  upstream=${version%-*}
  upstream=${upstream#*:}
  dir="$cache_root/src/$pkg-$upstream"
  if [ ! -d "$dir" ]; then
    ensure_deb_src
    mkdir -p "$cache_root/src"
    (cd "$cache_root/src" && apt-get source -qq "$pkg=$version" >&2)
  fi
  echo "$dir"
}

# apply_patches SOURCE NAME: our own fixes to a library's source
# (scripts/windows-patches/NAME-*.patch), each applied once.
apply_patches() {
  local src="$1" name="$2" p
  for p in "$root/scripts/windows-patches/$name"-*.patch; do
    [ -e "$p" ] || continue
    if patch -d "$src" -p1 -R -s -f --dry-run <"$p" >/dev/null 2>&1; then
      continue # applied already
    fi
    echo "windows: applying ${p##*/} to $src"
    patch -d "$src" -p1 -s -N <"$p"
  done
}

# Each library is built in a work folder inside its cache folder and marked
# complete only at the end; an interrupted build goes on where it stopped.
build_libraries() {
  current_step=libraries
  local entry name dir
  export PKG_CONFIG_LIBDIR
  PKG_CONFIG_LIBDIR="$(prefixes | sed 's|$|/lib/pkgconfig|' | paste -sd:)"
  win_prefix_path="$(prefixes | paste -sd';')"
  for entry in "${win_libraries[@]}"; do
    name=${entry%%:*}
    dir=$(lib_dir "$name" "${entry#*:}")
    if [ -f "$dir/complete" ]; then
      echo "windows: $name from the cache: $dir"
      continue
    fi
    mkdir -p "$dir/work"
    prefix="$dir/prefix"
    "lib_${name//-/_}" "$dir/work"
    rm -rf "$dir/work"
    touch "$dir/complete"
    echo "windows: $name built into $dir ($(du -sh "$prefix" | cut -f1))"
  done
}

# cmake_library SOURCE WORK OPTIONS...: a CMake project built for Windows
# and installed into $prefix.
cmake_library() {
  local src="$1" work="$2"
  shift 2
  cmake -S "$src" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVAMO_WIN_PREFIX="$win_prefix_path" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$work" -j"$jobs" >/dev/null
  cmake --install "$work" >/dev/null
}

lib_googletest() {
  echo "windows: building GoogleTest"
  cmake_library /usr/src/googletest "$1/googletest" -DBUILD_SHARED_LIBS=OFF
}

lib_libdeflate() {
  local work="$1" src
  src=$(fetch_source libdeflate libdeflate-dev)
  echo "windows: building libdeflate from $src"
  rm -rf "$work/libdeflate"
  cp -a "$src" "$work/libdeflate"
  make -C "$work/libdeflate" -j"$jobs" CC=$triple-gcc-posix AR=$triple-gcc-ar-posix \
    CFLAGS="-O2" libdeflate.dll >/dev/null
  mkdir -p "$prefix/bin" "$prefix/lib/pkgconfig" "$prefix/include"
  install -m755 "$work/libdeflate/libdeflate.dll" "$prefix/bin/"
  install -m644 "$work/libdeflate/libdeflate.lib" "$prefix/lib/libdeflate.dll.a"
  install -m644 "$work/libdeflate/libdeflate.h" "$prefix/include/"
  local version
  version=$(sed -n 's/^#define LIBDEFLATE_VERSION_STRING[[:space:]]*"\(.*\)"/\1/p' "$work/libdeflate/libdeflate.h")
  cat >"$prefix/lib/pkgconfig/libdeflate.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: libdeflate
Description: Fast implementation of DEFLATE, zlib, and gzip
Version: $version
Libs: -L\${libdir} -ldeflate
Cflags: -I\${includedir}
EOF
}

lib_libzip() {
  local src
  src=$(fetch_source libzip libzip-dev)
  echo "windows: building libzip from $src"
  cmake_library "$src" "$1/libzip" -DBUILD_SHARED_LIBS=ON \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
}

# ICU cross-builds against a native build of the same source for its tools.
lib_icu() {
  local work="$1" src
  src=$(fetch_source icu libicu-dev)
  echo "windows: building ICU from $src (native tools first)"
  mkdir -p "$work/icu-native" "$work/icu-win"
  (cd "$work/icu-native" &&
    "$src/source/runConfigureICU" Linux --disable-tests --disable-samples --disable-extras \
      --disable-layoutex >/dev/null &&
    make -j"$jobs" >/dev/null)
  (cd "$work/icu-win" &&
    "$src/source/configure" --host=$triple --with-cross-build="$work/icu-native" \
      --prefix="$prefix" --disable-tests --disable-samples --disable-extras \
      --disable-layoutex --disable-icuio --disable-tools \
      CC=$triple-gcc-posix CXX=$triple-g++-posix CFLAGS=-O2 CXXFLAGS="-O2 -std=c++17" >/dev/null &&
    make -j"$jobs" >/dev/null && make install >/dev/null)
}

lib_qt6_base() {
  local work="$1" src
  src=$(fetch_source qt6-base qt6-base-dev)
  apply_patches "$src" qt6-base
  echo "windows: building Qt from $src (about an hour on two cores, once)"
  # 6.4.2's Windows platform plugin needs OpenGL (dynamic); Debian's source
  # has no wintab, hence no tablet events. Text is drawn by Windows' own font
  # engine: no FreeType, no Direct2D plugin, nor the optional DirectWrite 3
  # engine, which 6.4.2 builds only with Direct2D. Without FreeType there is
  # no offscreen platform: the window tests run on the minimal one.
  cmake -S "$src" -B "$work/qt" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVAMO_WIN_PREFIX="$win_prefix_path" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_system_zlib=ON -DFEATURE_jpeg=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_brotli=OFF >"$work/qt-configure.log"
  cmake --build "$work/qt" -j"$jobs" >"$work/qt-build.log" || {
    tail -40 "$work/qt-build.log" >&2
    return 1
  }
  cmake --install "$work/qt" >/dev/null
}

# ------------------------------------------------------------------ project

linux_build="${BUILD_DIR:-$root/build}"

qt_prefix() { prefixes | grep '/qt6-base_'; }

# win_path PATH: the path as a Windows program under Wine sees it (drive Z:).
win_path() { echo "Z:${1//\//\\}"; }

build_project() {
  current_step=project
  # The Linux build first: its reader templates go into the Windows program,
  # so that a book is the same whichever system made it.
  bash "$root/scripts/build.sh"
  # The "windows" preset of CMakePresets.json, with this run's folders; a
  # build folder made against other library folders (an older recipe) is
  # configured afresh, so that no package is found in the old ones.
  local fresh=()
  if [ -f "$wbuild/CMakeCache.txt" ] &&
    ! grep -qxF "VAMO_WIN_PREFIX:UNINITIALIZED=$win_prefix_path" "$wbuild/CMakeCache.txt" &&
    ! grep -qxF "VAMO_WIN_PREFIX:STRING=$win_prefix_path" "$wbuild/CMakeCache.txt"; then
    fresh=(--fresh)
  fi
  cmake -S "$root" --preset windows -B "$wbuild" "${fresh[@]}" -DVAMO_WIN_PREFIX="$win_prefix_path" \
    -DVAMO_TEMPLATES_FROM="$linux_build/bin" \
    -DCMAKE_INSTALL_PREFIX="$wbuild/stage" | grep -A12 'Left out of this build' || true
  cmake --build "$wbuild" -j"$jobs"
  rm -rf "$wbuild/stage"
  cmake --install "$wbuild" --strip >/dev/null
  echo "windows: installed into $wbuild/stage ($(du -sh "$wbuild/stage" | cut -f1))"
  # The GUI runs without a console window; both programs carry the icon and
  # the project's version.
  local exe subsystem
  for exe in vamobook vamobook-cli; do
    subsystem=$($triple-objdump -p "$wbuild/stage/bin/$exe.exe" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*//p')
    case "$exe:$subsystem" in
      "vamobook:(Windows GUI)" | "vamobook-cli:(Windows CUI)") ;;
      *) echo "windows: $exe.exe is a $subsystem program" >&2; return 1 ;;
    esac
    if ! wrestool -l "$wbuild/stage/bin/$exe.exe" | grep -q -- '--type=16' ||
      ! wrestool -l "$wbuild/stage/bin/$exe.exe" | grep -q -- '--type=14'; then
      echo "windows: $exe.exe has no version resource or icon" >&2
      return 1
    fi
  done
}

# Wine in a prefix of the build's own; the programs of the build folder find
# the libraries and Qt's plugins through WINEPATH and QT_PLUGIN_PATH.
wine_env() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  export WINEPREFIX="${1:-$wbuild/wine}"
  local dirs=() p
  while IFS= read -r p; do dirs+=("$(win_path "$p/bin")"); done < <(prefixes)
  dirs+=("$(win_path "$(dirname "$($triple-g++-posix -print-file-name=libstdc++-6.dll)")")")
  dirs+=("$(win_path /usr/$triple/lib)")
  WINEPATH="$(IFS=';'; echo "${dirs[*]}")"
  QT_PLUGIN_PATH="$(win_path "$(qt_prefix)/plugins")"
  # Wine hands the arguments and file names over in the locale's encoding.
  export LC_ALL=C.UTF-8
  export WINEPATH QT_PLUGIN_PATH
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "windows: making the Wine prefix $WINEPREFIX"
    "$wine64" wineboot --init >/dev/null 2>&1 || true
    wineserver_wait
  fi
  wine_fonts
}

# The fonts of a Chinese Windows, as near as Debian has them. Debian's
# 64-bit Wine does not load its own Tahoma (the font behind "MS Shell Dlg",
# Qt's default on Windows) from its data folder, so Windows programs get
# whatever font comes first, here a mathematical one whose glyph boxes are
# so tall that a line edit centres its text out of sight. Wine loads what
# lies in the prefix's Fonts folder; SimSun and Microsoft YaHei, the
# Chinese system fonts, are WenQuanYi Micro Hei here.
wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$fonts/${f##*/}" ] || cp "$f" "$fonts/"
  done
  if ! grep -q '"SimSun"="WenQuanYi Micro Hei"' "$WINEPREFIX/system.reg"; then
    local reg="$WINEPREFIX/drive_c/vamobook-fonts.reg" name
    {
      printf 'Windows Registry Editor Version 5.00\r\n\r\n'
      printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
      for name in SimSun NSimSun 宋体 "Microsoft YaHei" "Microsoft YaHei UI" 微软雅黑; do
        printf '"%s"="WenQuanYi Micro Hei"\r\n' "$name"
      done
    } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    "$wine64" regedit /S 'C:\vamobook-fonts.reg' >/dev/null 2>&1 || true
    wineserver_wait
    rm -f "$reg"
  fi
}

wineserver_kill() {
  local server
  for server in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if [ -x "$server" ]; then "$server" -k || true; "$server" -w; return; fi
  done
}

wineserver_wait() {
  local server
  for server in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
    if [ -x "$server" ]; then "$server" -w; return; fi
  done
}

# Every test runs under Wine. The window tests run on Windows' own platform:
# Wine draws their windows into a virtual desktop (set in the test prefix)
# on a virtual X server started for the run.
wine_virtual_desktop() {
  grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg" 2>/dev/null && return
  local reg="$WINEPREFIX/drive_c/vamobook-desktop.reg"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1280x1024"' >"$reg"
  "$wine64" regedit /S 'C:\vamobook-desktop.reg' >/dev/null 2>&1 || true
  wineserver_wait
  rm -f "$reg"
}

run_tests() {
  current_step=tests
  wine_env
  wine_virtual_desktop
  local rc=0
  rm -f "$wbuild"/tests/*Test.log
  (cd "$wbuild" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$jobs" --timeout 180) ||
    rc=$?
  # A window test's own report, which Wine does not print.
  local report
  for report in "$wbuild"/tests/*Test.log; do
    if [ -f "$report" ] && grep -q '^FAIL!' "$report"; then
      echo "---- $report"
      cat "$report"
    fi
  done
  # Wine's desktop process lost its display with the X server.
  wineserver_kill
  return "$rc"
}

# -------------------------------------------------------- the same book

# cli_pair NAME ARGS...: makes a book with the Linux command line and with the
# Windows one under Wine, each into a save folder of its own.
cli_pair() {
  local name="$1"
  shift
  "$linux_build/bin/vamobook-cli" "$@" --save-folder "$same/linux/$name" >/dev/null
  "$wine64" "$wbuild/bin/vamobook-cli.exe" "$@" --save-folder "$same/windows/$name" >/dev/null
}

same_book_check() {
  current_step=same-book
  wine_env
  same="$(mktemp -d)"
  local in="$same/in"
  python3 "$root/scripts/windows-same-book.py" inputs "$in" "$root/../shared/corpus/hongloumeng"
  cli_pair encodings make --book-name 三种编码 --jar-name enc --maker 测试者 --message 欢迎阅读 \
    "$in/gbk.txt" "$in/utf8.txt" "$in/utf16.txt"
  cli_pair split make --split-chapters --book-name 红楼梦 --jar-name hlm "$in/novel.txt"
  cli_pair volumes make --jar-size 4 --book-name 分卷 --jar-name cut --naming 1 "$in/novel.txt" "$in/gbk.txt"
  cli_pair moto make --phone 1 --book-name 摩托 --jar-name moto "$in/utf8.txt"
  # Taiwan's traditional characters and phrases, made simplified: OpenCC's
  # tables on Windows, the OpenCC library on Linux.
  iconv -f GBK -t UTF-8 "$in/novel.txt" | opencc -c s2twp.json >"$in/traditional.txt"
  cli_pair simplified make --split-chapters --simplified --tidy --book-name 繁體 --jar-name trad \
    "$in/traditional.txt"
  python3 "$root/scripts/windows-same-book.py" compare "$same/linux" "$same/windows"
  rm -rf "$same"
}

# ---------------------------------------------------------------- installer

version() { sed -n 's/^project(vamobook VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"; }

make_installer() {
  current_step=installer
  local stage="$wbuild/stage" v lists="$wbuild/installer"
  v=$(version)
  rm -rf "$lists"
  mkdir -p "$lists"
  cp "$root/desktop/icons/vamobook.ico" "$wbuild/vamobook.ico"
  # The licence as Windows shows text files.
  sed 's/$/\r/' "$root/LICENSE" >"$wbuild/LICENSE.txt"
  # What the installer puts in place, folder by folder, and what its
  # uninstaller takes away: those files, then the folders when empty.
  local dir file
  (cd "$stage" && find . -type d | sort) | while IFS= read -r dir; do
    dir=${dir#.}
    echo "SetOutPath \"\$INSTDIR${dir//\//\\}\""
    find "$stage$dir" -maxdepth 1 -type f | sort | while IFS= read -r file; do
      echo "File \"$file\""
    done
  done >"$lists/files.nsh"
  {
    (cd "$stage" && find . -type f | sort) | while IFS= read -r file; do
      file=${file#.}
      echo "Delete \"\$INSTDIR${file//\//\\}\""
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while IFS= read -r dir; do
      dir=${dir#.}
      echo "RMDir \"\$INSTDIR${dir//\//\\}\""
    done
  } >"$lists/unfiles.nsh"
  setup="$wbuild/vamobook-$v-setup.exe"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$v" -DSTAGE="$stage" -DFILES="$lists/files.nsh" \
    -DUNFILES="$lists/unfiles.nsh" -DOUTFILE="$setup" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
    "$root/desktop/windows/installer.nsi"
  # The portable zip: the same files in one folder, the reader templates
  # beside the programs, so that the program keeps its files beside itself.
  local portable="$wbuild/portable/vamobook-$v"
  rm -rf "$wbuild/portable"
  mkdir -p "$portable"
  cp -a "$stage/bin/." "$portable/"
  cp -a "$stage/share/vamobook/." "$portable/"
  cp "$wbuild/LICENSE.txt" "$portable/"
  rm -f "$wbuild/vamobook-$v-portable.zip"
  (cd "$wbuild/portable" && zip -qr9 "$wbuild/vamobook-$v-portable.zip" "vamobook-$v")
  echo "windows: $(basename "$setup") ($(du -h "$setup" | cut -f1)), vamobook-$v-portable.zip ($(du -h "$wbuild/vamobook-$v-portable.zip" | cut -f1))"
}

# ------------------------------------------------------------ install check

title="Vamo手机电子书制作工具V2.0"

install_check() {
  current_step=install
  local wprefix="$wbuild/wine-install" work
  rm -rf "$wprefix"
  wine_env "$wprefix"
  # The installed programs must find their libraries and plugins themselves.
  unset WINEPATH QT_PLUGIN_PATH
  export VAMOBOOK_UPDATE_URL=""
  "$wine64" "$setup" /S
  wineserver_wait
  local pf="$WINEPREFIX/drive_c/Program Files/VamoBook" f
  for f in bin/vamobook.exe bin/vamobook-cli.exe bin/Qt6Widgets.dll bin/platforms/qwindows.dll \
    bin/styles/qwindowsvistastyle.dll bin/imageformats/qgif.dll bin/translations/qtbase_zh_CN.qm \
    bin/opencc/TSPhrases.txt bin/opencc/TSCharacters.txt \
    share/vamobook/DuvEver.dll share/vamobook/DuvEverMoto.dll uninstall.exe; do
    [ -f "$pf/$f" ] || { echo "windows: the installer did not install $f" >&2; return 1; }
  done
  local links
  links=$(find "$WINEPREFIX/drive_c" -name "Vamo手机电子书制作工具.lnk" | wc -l)
  [ "$links" -ge 2 ] || { echo "windows: desktop and start-menu shortcuts missing ($links found)" >&2; return 1; }
  grep -q 'Uninstall\\\\VamoBook' "$WINEPREFIX/system.reg" ||
    { echo "windows: no entry in Add/Remove Programs" >&2; return 1; }
  echo "windows: installed into C:\\Program Files\\VamoBook with shortcuts and an uninstall entry"

  # The installed command line makes the same book as the Linux one.
  work="$(mktemp -d)"
  python3 "$root/scripts/windows-same-book.py" inputs "$work/in" "$root/../shared/corpus/hongloumeng" >/dev/null
  local installed_cli='C:\Program Files\VamoBook\bin\vamobook-cli.exe'
  "$linux_build/bin/vamobook-cli" make --split-chapters --jar-size 3 --book-name 红楼梦 --jar-name hlm \
    --save-folder "$work/linux" "$work/in/novel.txt" >/dev/null
  "$wine64" "$installed_cli" make --split-chapters --jar-size 3 --book-name 红楼梦 --jar-name hlm \
    --save-folder "$work/windows" "$work/in/novel.txt" >/dev/null
  python3 "$root/scripts/windows-same-book.py" compare "$work/linux" "$work/windows"
  # 转换为简体 with the tables installed beside the program.
  iconv -f GBK -t UTF-8 "$work/in/novel.txt" | opencc -c s2t.json >"$work/in/traditional.txt"
  "$linux_build/bin/vamobook-cli" make --simplified --book-name 繁體 --jar-name trad \
    --save-folder "$work/linux-simplified" "$work/in/traditional.txt" >/dev/null
  "$wine64" "$installed_cli" make --simplified --book-name 繁體 --jar-name trad \
    --save-folder "$work/windows-simplified" "$work/in/traditional.txt" >/dev/null
  python3 "$root/scripts/windows-same-book.py" compare "$work/linux-simplified" "$work/windows-simplified"
  # Without a save folder the book goes into the user's data folder: the
  # program folder under Program Files is not written.
  "$wine64" "$installed_cli" make --book-name 默认目录 --jar-name default "$work/in/gbk.txt" >/dev/null
  local made
  made=$(find "$WINEPREFIX/drive_c/users" -path '*vamobook-cli/jar/默认目录/default.jar' | head -1)
  [ -n "$made" ] || { echo "windows: the default save folder is not in the user's data folder" >&2; return 1; }
  [ ! -e "$pf/bin/jar" ] || { echo "windows: the installed program wrote into Program Files" >&2; return 1; }

  # The installed program opens its main window. Wine's desktop process,
  # started by the command line runs without a display, is ended first, or
  # the window would go to no screen.
  wineserver_kill
  gui_check "$pf"

  # The uninstaller takes away what was installed, and nothing of the user's.
  "$wine64" "$pf/uninstall.exe" /S
  wineserver_wait
  [ ! -e "$pf" ] || { echo "windows: the uninstaller left $(find "$pf" | head -5)" >&2; return 1; }
  [ -f "$made" ] || { echo "windows: the uninstaller removed the user's book" >&2; return 1; }
  links=$(find "$WINEPREFIX/drive_c" -name "Vamo手机电子书制作工具.lnk" | wc -l)
  [ "$links" = 0 ] || { echo "windows: the uninstaller left $links shortcuts" >&2; return 1; }
  ! grep -q 'Uninstall\\\\VamoBook' "$WINEPREFIX/system.reg" ||
    { echo "windows: the uninstall entry stayed" >&2; return 1; }
  echo "windows: uninstalled; the user's book stayed"
  rm -rf "$work"
  installer_done=1
}

# gui_check PROGRAM-FOLDER: starts the installed program under Xvfb and waits
# for its main window; with SCREENSHOT set, also takes the README's picture
# in a Wine desktop, which draws Windows' own window frames, and with
# SCREENSHOT_200 the same at 200 % (Windows' display scale, LogPixels 192).
gui_check() {
  local pf="$1"
  xvfb-run -a -s "-screen 0 2200x1500x24" bash -c '
    set -u
    "$0" "$1\bin\vamobook.exe" >/dev/null 2>&1 &
    for i in $(seq 300); do
      if xdotool search --name "$2" >/dev/null 2>&1; then
        echo "windows: the installed program shows its main window \"$2\""
        found=1
        break
      fi
      sleep 1
    done
    kill_server() {
      for server in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
        [ -x "$server" ] && { "$server" -k; "$server" -w; break; }
      done
    }
    # shot SCALE-PERCENT WIDTH HEIGHT FILE
    shot() {
      kill_server
      "$0" reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d $(($1 * 96 / 100)) /f >/dev/null 2>&1
      "$0" explorer /desktop=vamo,$2x$3 "$5\bin\vamobook.exe" >/dev/null 2>&1 &
      for i in $(seq 120); do xdotool search --name "$6" >/dev/null 2>&1 && break; sleep 1; done
      sleep 15
      import -window root -crop $2x$3+0+0 "$4"
      echo "windows: $4 at $1 %"
    }
    if [ -n "${found:-}" ] && [ -n "${SCREENSHOT:-}" ]; then
      shot 100 1024 700 "$SCREENSHOT" "$1" "$2"
    fi
    if [ -n "${found:-}" ] && [ -n "${SCREENSHOT_200:-}" ]; then
      shot 200 2048 1400 "$SCREENSHOT_200" "$1" "$2"
      kill_server
      "$0" reg add "HKCU\Control Panel\Desktop" /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
    fi
    kill_server
    [ -n "${found:-}" ]
  ' "$wine64" "C:\\Program Files\\VamoBook" "$title" ||
    { echo "windows: the installed program did not show its main window" >&2; return 1; }
}
