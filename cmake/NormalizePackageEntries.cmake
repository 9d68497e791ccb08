# Run by CPack once the package's files are staged, before they are packed: every file and folder gets
# the same modification time and permissions, whoever builds it, wherever, whenever.
# (ZIP entries hold local time: tools/release.sh packs with TZ=UTC.)
set(time "${CPACK_TARVOLIN_ENTRY_TIME}")
if(NOT time MATCHES "^[0-9]+$" OR time LESS 315532800)
  set(time 315532800)  # 1980-01-01, the earliest time a ZIP entry can hold
endif()
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${entry}" OR entry MATCHES "\\.exe$")
    file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
      WORLD_EXECUTE)
  else()
    file(CHMOD "${entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
endforeach()
execute_process(COMMAND touch -h -d "@${time}" ${entries} COMMAND_ERROR_IS_FATAL ANY)
