# The carried 7-Zip standalone console extractor (7za.exe, for the build's processor). It is built from the
# Debian `7zip` sources that scripts/bootstrap.sh unpacks, and cached outside the build
# folders under the source version: every build folder shares one copy, and a rebuild
# does not pay the few minutes again. Sets LUMETRA_7ZA_EXE and the target lumetra_7za.
set(LUMETRA_CACHE_DIR "/var/cache/lumetra" CACHE PATH
    "Cache of the carried files' sources and builds (as LUMETRA_CACHE in bootstrap.sh)")
if(DEFINED ENV{LUMETRA_CACHE})
  set(LUMETRA_CACHE_DIR "$ENV{LUMETRA_CACHE}" CACHE PATH "" FORCE)
endif()

file(GLOB _lumetra_7zip_candidates LIST_DIRECTORIES true "${LUMETRA_CACHE_DIR}/7zip-src/7zip-*")
set(LUMETRA_7ZIP_SOURCE_DIR "")
foreach(candidate ${_lumetra_7zip_candidates})
  if(IS_DIRECTORY "${candidate}/CPP" AND EXISTS "${candidate}/debian/changelog")
    set(LUMETRA_7ZIP_SOURCE_DIR "${candidate}")
  endif()
endforeach()
if(NOT LUMETRA_7ZIP_SOURCE_DIR)
  message(FATAL_ERROR "No 7zip sources under ${LUMETRA_CACHE_DIR}/7zip-src: run scripts/bootstrap.sh")
endif()

# The full Debian version (upstream and packaging) names the cached build.
file(STRINGS "${LUMETRA_7ZIP_SOURCE_DIR}/debian/changelog" _lumetra_7zip_head LIMIT_COUNT 1)
if(NOT _lumetra_7zip_head MATCHES "^[^ ]+ \\(([^)]+)\\)")
  message(FATAL_ERROR "Cannot read the 7zip source version from ${LUMETRA_7ZIP_SOURCE_DIR}")
endif()
set(LUMETRA_7ZIP_VERSION "${CMAKE_MATCH_1}")
# The build's own flags name it too (build-7za.sh optimises for size: -Os), so that a cached
# build made with other flags is never taken for it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(LUMETRA_7ZA_ARCH x86_64)
  set(LUMETRA_7ZA_EXE "${LUMETRA_CACHE_DIR}/7za-${LUMETRA_7ZIP_VERSION}-x86_64-Os/7za.exe")
else()
  set(LUMETRA_7ZA_ARCH i686)
  set(LUMETRA_7ZA_EXE "${LUMETRA_CACHE_DIR}/7za-${LUMETRA_7ZIP_VERSION}-Os/7za.exe")
endif()

add_custom_command(
  OUTPUT "${LUMETRA_7ZA_EXE}"
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/build-7za.sh" "${LUMETRA_7ZIP_SOURCE_DIR}" "${LUMETRA_7ZA_EXE}" ${LUMETRA_7ZA_ARCH}
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/build-7za.sh"
  COMMENT "Building 7za.exe ${LUMETRA_7ZIP_VERSION} into ${LUMETRA_CACHE_DIR}"
  USES_TERMINAL VERBATIM)
add_custom_target(lumetra_7za DEPENDS "${LUMETRA_7ZA_EXE}")
