# The Debian package, made with CPack from the install rules: `cpack -G DEB` in the build
# folder, or `cmake --build <build> --target package`.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vemora)
set(CPACK_PACKAGE_VENDOR Ostrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Équipe Vemora <vemora@ostrel.fr>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://vemora.ostrel.fr/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "calculator of the French mileage and fuel allowances")
set(CPACK_PACKAGE_DESCRIPTION
    "Vemora computes, to the cent of the official scales, the two flat-rate
vehicle expense allowances of French income tax: the mileage allowance
scale of the income years 2012 to 2025 (cars, motorcycles and mopeds,
combustion or electric) and the fuel scale of the income years 2022 to 2025, for sole
traders, liberal professions, partners and employees. The details of a
calculation can be printed, previewed and saved as PDF.
.
The window is in French. The command vemora-calc gives the same amounts
in scripts and computes whole CSV files of calculations.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

# A native package: its version is the program's, its changelog that of packaging/.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# What the programs link is found from the binaries when cpack runs (PackageDepends.cmake).
# The rest is loaded at run time: the browser's helper process, the QML modules of the home
# page's view, the SVG pictures' plugin, Qt's French captions, and the fonts that stand in for
# Arial, MS Sans Serif and Lucida Sans.
set(packageBinaries $<TARGET_FILE:vemora-calc>)
if(VEMORA_BUILD_GUI)
    list(APPEND packageBinaries $<TARGET_FILE:vemora> $<TARGET_FILE:vemora_homepage>)
endif()
list(JOIN packageBinaries "\n" packageBinaries)
set(CPACK_VEMORA_BINARIES_FILE ${PROJECT_BINARY_DIR}/packaging/package-binaries.txt)
file(GENERATE OUTPUT ${CPACK_VEMORA_BINARIES_FILE} CONTENT "${packageBinaries}\n")
set(CPACK_VEMORA_WORK_DIR ${PROJECT_BINARY_DIR}/packaging/shlibdeps)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageDepends.cmake)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS
    libqt6webenginecore6-bin qml6-module-qtwebengine qml6-module-qtquick
    qml6-module-qtqml-workerscript libqt6svg6 qt6-translations-l10n
    fonts-liberation fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, xdg-user-dirs")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups, bash-completion")

include(CPack)
