# Read by cpack for each package it makes: the Debian package lives in /usr, the source tarball
# has the tree at its top.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
