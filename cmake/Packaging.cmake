# Debian package of Corvane, built by `cpack -G DEB` in the build folder.
# Included at the end of the root CMakeLists.txt, after every install rule.

set(CPACK_PACKAGE_NAME "corvane")
# Values reach CPackConfig.cmake exactly as written here.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_VERSION "${CORVANE_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Erlang B, C and A, Engset and overflow traffic calculators")
# Kept in short lines: the package's control file shows them as written.
set(CPACK_PACKAGE_DESCRIPTION "\
Type the traffic offered to a group of lines, in erlangs, and the blocking
probability that may not be exceeded; Corvane answers at once with the number
of lines the group needs, by the Erlang B formula, in one small window with
Japanese labels. corvane-tables adds tables and curves by Erlang B and
extended Erlang B, the three-way solve by Erlang B or Engset, call-centre
staffing by Erlang C and Erlang A, and overflow to a final group (equivalent
random and Hayward); corvane-cli answers the same questions, and the traffic
offered behind a measured carried one, in scripts, one at a time or a CSV
file at once.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
# Independent of the umask of whoever runs cpack.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR "DEB")
endif()

# The DEB generator installs under /usr by default; setting
# CPACK_PACKAGING_INSTALL_PREFIX here would move the source package too.
# corvane_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# dpkg needs a maintainer with an address; there is no list or homepage yet,
# so the address is one that plainly reaches no one (.invalid, RFC 2606).
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Corvane developers <noreply@corvane.invalid>")

# The fonts the window draws its text with. Qt loads its platform plugins at
# run time, so no library scan sees qt6-qpa-plugins, without which no window
# opens.
set(corvane_runtime_depends "fonts-ipafont-gothic, fonts-liberation2, qt6-qpa-plugins")
# The Python module: the interpreter it was built for, and NumPy's ABI and
# oldest API-compatible version, as dh_numpy3 reads them from NumPy's package.
if(CORVANE_PYTHON)
  math(EXPR next "${Python3_VERSION_MINOR} + 1")
  set(python "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})")
  set(python "${python}, python3 (<< ${Python3_VERSION_MAJOR}.${next})")
  string(APPEND corvane_runtime_depends ", ${python}")
  set(numpy_versions /usr/share/numpy3/versions)
  if(EXISTS ${numpy_versions})
    file(STRINGS ${numpy_versions} abi REGEX "^abi ")
    file(STRINGS ${numpy_versions} oldest REGEX "^api-min-version ")
    string(REPLACE "abi " "" abi "${abi}")
    string(REPLACE "api-min-version " "" oldest "${oldest}")
    string(APPEND corvane_runtime_depends ", python3-numpy (>= ${oldest}), python3-numpy-abi${abi}")
  else()
    string(APPEND corvane_runtime_depends ", python3-numpy")
  endif()
endif()
# dpkg-shlibdeps (dpkg-dev) and file give exact, versioned library
# dependencies; without them, name the Qt libraries by hand.
find_program(CORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(CORVANE_FILE_PROGRAM file)
mark_as_advanced(CORVANE_DPKG_SHLIBDEPS CORVANE_FILE_PROGRAM)
if(CORVANE_DPKG_SHLIBDEPS AND CORVANE_FILE_PROGRAM)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${corvane_runtime_depends}")
else()
  message(STATUS "dpkg-shlibdeps or file not found: the .deb names its Qt libraries by hand")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6, libqt6gui6, libqt6core6, ${corvane_runtime_depends}")
endif()

# Qt's Japanese translations put Corvane Tables' file dialogs and questions in
# Japanese; without them they are in English, and nothing else changes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

# A source package made by `cpack --config CPackSourceConfig.cmake` leaves out build trees.
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/\\.cache/")

include(CPack)
