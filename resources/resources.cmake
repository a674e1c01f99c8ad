# The resource table compiled into the installer: one "type|id|file" entry each.
# The download manifest ("xml" 501 and 502) is the product build's own: it is
# taken from MSS_MANIFEST_FILE when that names a file.
set(MSS_RESOURCES
  "txt|503|${CMAKE_CURRENT_LIST_DIR}/version.txt"
  "txt|504|${CMAKE_CURRENT_LIST_DIR}/version.txt"
)
if(MSS_MANIFEST_FILE)
  list(APPEND MSS_RESOURCES
    "xml|501|${MSS_MANIFEST_FILE}"
    "xml|502|${MSS_MANIFEST_FILE}")
endif()
