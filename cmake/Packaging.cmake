# Qt's Chinese texts (message box buttons, file dialog). On Debian they come
# from qt6-translations-l10n, a dependency of the package; where Qt does not
# come from the system (Windows), the catalogue is installed with the program
# into translations/ beside it, where the program looks after Qt's own folder.
option(VAMO_BUNDLE_QT_TRANSLATIONS "Install Qt's qtbase_zh_CN.qm beside the program" ${WIN32})
if(VAMO_BUNDLE_QT_TRANSLATIONS)
  get_target_property(VAMO_QMAKE Qt6::qmake IMPORTED_LOCATION)
  execute_process(COMMAND ${VAMO_QMAKE} -query QT_INSTALL_TRANSLATIONS
                  OUTPUT_VARIABLE VAMO_QT_TRANSLATIONS OUTPUT_STRIP_TRAILING_WHITESPACE)
  # A cross build takes the catalogue of the host's Qt (the same version;
  # the files are the same on every system).
  find_file(VAMO_QTBASE_ZH_CN qtbase_zh_CN.qm
    PATHS ${VAMO_QT_TRANSLATIONS} ${QT_HOST_PATH}/share/qt6/translations
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  install(FILES ${VAMO_QTBASE_ZH_CN} DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)
endif()

# The Debian package: `cpack -G DEB` in the build folder (see README).
# The library dependencies come from dpkg-shlibdeps; the rest is named here.
set(CPACK_PACKAGE_NAME vamobook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vamo")
set(CPACK_PACKAGE_CONTACT "Vamo <vamo@vamobook.cn>")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.vamobook.cn/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vamo手机电子书制作工具：把TXT文本制作成Java手机电子书")
set(CPACK_PACKAGE_DESCRIPTION "把中文TXT文本制作成Java ME功能手机上阅读的电子书：每一卷一个MIDlet JAR和一个JAD。\n\
包括图形界面程序vamobook和命令行程序vamobook-cli。")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (buttons, file dialog) in Chinese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# A Chinese font for the windows, and xdg-open to show the book folder.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, xdg-utils")

include(CPack)
