# Run by CPack after it has written its packages (CPACK_POST_BUILD_SCRIPTS). CPack's .deb takes
# the times of its files and ar members from the clock and the modes of its ar members from
# the builder's umask. Each .deb is unpacked and built again by dpkg-deb, with every time set
# to the commit's (scripts/source-date.sh), files owned by root, and modes 0755 for folders and
# programs and 0644 for the rest, so that one commit gives the same package whoever builds it.
list(FILTER CPACK_PACKAGE_FILES INCLUDE REGEX "\\.deb$")
if(NOT CPACK_PACKAGE_FILES)
    return()
endif()
set(source_dir "${CPACK_VELLACOR_SOURCE_DIR}")
execute_process(COMMAND bash "${source_dir}/scripts/source-date.sh"
                OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "no time for the package: scripts/source-date.sh failed")
endif()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    set(root "${package}.root")
    file(REMOVE_RECURSE "${root}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
    # u=rwX,go=rX: folders and files with an execute bit 0755, every other file 0644.
    execute_process(COMMAND chmod -R u=rwX,go=rX "${root}" COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND find "${root}" -exec touch --no-dereference --date=@${epoch} {} +
                    COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE "${package}")
    # dpkg-deb sorts the files and takes the ar members' times from SOURCE_DATE_EPOCH.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
                            dpkg-deb --root-owner-group -Zxz --build "${root}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${root}")
endforeach()
