# Read by CPack when it runs (CPACK_PROJECT_CONFIG_FILE) in a cross build: dpkg-shlibdeps, which
# CPack starts to fill in Depends, looks for the libraries of the architecture in DEB_HOST_ARCH.
if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    set(ENV{DEB_HOST_ARCH} "${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
endif()
