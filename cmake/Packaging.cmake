# The Debian package (scripts/package): both programs, the Python module, the help pages, the
# desktop entry, the project file type and the icons. The desktop program's files and the
# module have their install rules beside their targets; fovara-render's is here.
include(GNUInstallDirs)
install(TARGETS fovara-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Installing (and packaging) takes the installed targets as they are built, without building
# every test first: scripts/package builds those targets.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fovara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Fovara developers <packaging@fovara.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "depth-driven post-processing of rendered 3D images")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "depth-driven post-processing of rendered 3D images
 Fovara applies a depth-driven filter to rendered frames and sequences with their
 depth buffers: depth of field shaped by an aperture picture, Z Saturation,
 Z Luminance, Z Hue and atmospheric perspective, every setting keyframed.
 .
 The package holds the desktop program (fovara), the command-line renderer for
 scripts and render farms (fovara-render) and the Python module fovara.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries the programs and the module link, with their versions, from the binaries;
# and what Qt loads as plugins, which no binary names: the toolbar icons are SVG pictures.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The module is for the Python of its build (its file name says which) and needs NumPy; the
# programs do not, so a render node can do without them.
get_property(_python_version GLOBAL PROPERTY FOVARA_PYTHON_MODULE_VERSION)
if(_python_version)
  string(REPLACE "." ";" _python_parts "${_python_version}")
  list(GET _python_parts 1 _python_minor)
  math(EXPR _python_next "${_python_minor} + 1")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3 (>= ${_python_version}), python3 (<< 3.${_python_next}), python3-numpy")
endif()
# Qt's own texts (standard buttons, file dialogs) in French.
list(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS "${CPACK_DEBIAN_PACKAGE_RECOMMENDS}")
include(CPack)
