# Run by CPack once the ZIP is written. Its writer puts in each entry the time the file was staged and
# the owner ids of whoever packed it; strip-nondeterminism gives every entry one time, owner 0 and
# permissions 644 (755 for the program), so that the same commit gives the same ZIP, whoever packs it,
# wherever, whenever. The time is SOURCE_DATE_EPOCH when the packing is given one, else the commit's.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(time "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${CPACK_TARVOLIN_SOURCE_DIR}"
    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
# Outside a git checkout there is no commit time: the tool then takes the earliest a ZIP can hold.
set(timestamp "")
if(time MATCHES "^[0-9]+$")
  set(timestamp --timestamp ${time})
endif()
find_program(strip_nondeterminism strip-nondeterminism REQUIRED)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  # ZIP entries hold local time: UTC makes it the same everywhere.
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env TZ=UTC "${strip_nondeterminism}" --type zip ${timestamp} "${package}"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
