# The one list of the Debian 12 packages Orvane needs. Sourced by setup.sh (build, run, test),
# install.sh (what an installed release needs) and check-packages.sh (what the program loads).

# What the installed programs need at run time.
ORVANE_RUNTIME_PACKAGES=(
  # the C library the programs are linked with (every other library comes with the packages below)
  libc6
  # Qt 6.4 and the QML runtime modules the screens import
  libqt6multimedia6 qt6-qpa-plugins
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-shapes qml6-module-qtquick-dialogs qml6-module-qtquick-window
  qml6-module-qtquick-templates qml6-module-qtmultimedia
  qml6-module-qtqml qml6-module-qtqml-models qml6-module-qtqml-workerscript
  # the non-native folder dialog of QtQuick.Dialogs lists folders with this labs module
  qml6-module-qt-labs-folderlistmodel
  # the ffmpeg program the exports run
  ffmpeg
  # OpenSSL's libcrypto: decrypting the footage newer cars encrypt
  libssl3
  # the desktop's keyring (Secret Service or KWallet), where a remembered dashcam token is kept
  libqt6keychain1
  # QtPositioning: ground distances for the route map's scale
  libqt6positioning6
  # fonts for Chinese texts and burned-in labels; icon font; the incident report's Latin text
  # and digits (selectable in its PDF)
  fonts-noto-cjk fonts-material-design-icons-iconfont fonts-dejavu-core
)

# What building, testing, benchmarking and fuzzing add.
ORVANE_BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-declarative-dev qt6-declarative-dev-tools qt6-multimedia-dev qml6-module-qttest
  # lupdate and lrelease for the English translation, and their CMake support
  qt6-l10n-tools qt6-tools-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libssl-dev qtkeychain-qt6-dev qt6-positioning-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri
  # pdftotext: the incident report's text is read back
  poppler-utils
  # xmllint: exported GPX is checked against the GPX 1.1 schema
  libxml2-utils
  clang libclang-rt-dev
  # the Debian package: the PNG icons, and checking the package, its desktop entry and metainfo
  librsvg2-bin dpkg-dev desktop-file-utils appstream lintian
)
