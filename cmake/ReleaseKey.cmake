# LUMETRA_RELEASE_KEY: the publisher's ECDSA P-256 public key (PEM or DER). Given, the
# installer embeds its point and refuses a server configuration without a valid signature;
# empty, it reads configurations as it always did. A key of any other kind stops the
# configure step here rather than making an installer that refuses every release.
set(LUMETRA_RELEASE_KEY "" CACHE FILEPATH
    "ECDSA P-256 public key (PEM or DER) that signs update_win.ini; empty: no signature required")

# Writes OUT_HEADER with the point of KEY_FILE, or with no key when KEY_FILE is empty.
function(lumetra_release_key_header KEY_FILE OUT_HEADER)
  set(LUMETRA_RELEASE_KEY_BYTES "")
  set(LUMETRA_HAS_RELEASE_KEY 0)
  if(KEY_FILE)
    if(NOT EXISTS "${KEY_FILE}")
      message(FATAL_ERROR "LUMETRA_RELEASE_KEY: ${KEY_FILE} does not exist")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${KEY_FILE}")
    find_program(LUMETRA_OPENSSL openssl REQUIRED)
    file(READ "${KEY_FILE}" key_start LIMIT 10)
    set(key_form DER)
    if(key_start MATCHES "^-----BEGIN")
      set(key_form PEM)
    endif()
    # -pubin: a private key given by mistake is refused, never embedded.
    get_filename_component(out_dir ${OUT_HEADER} DIRECTORY)
    file(MAKE_DIRECTORY ${out_dir})
    set(key_der ${out_dir}/release_key.der)
    execute_process(COMMAND ${LUMETRA_OPENSSL} pkey -pubin -inform ${key_form}
                            -in "${KEY_FILE}" -outform DER -out ${key_der}
                    RESULT_VARIABLE key_result ERROR_VARIABLE key_error)
    if(NOT key_result EQUAL 0)
      message(FATAL_ERROR "LUMETRA_RELEASE_KEY: ${KEY_FILE} is no public key: ${key_error}")
    endif()
    file(READ ${key_der} key_hex HEX)
    # SubjectPublicKeyInfo of an uncompressed P-256 point: fixed header, then 04 X Y.
    set(p256_header "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
    string(LENGTH "${key_hex}" key_hex_length)
    string(FIND "${key_hex}" "${p256_header}" header_at)
    if(NOT key_hex_length EQUAL 182 OR NOT header_at EQUAL 0)
      message(FATAL_ERROR "LUMETRA_RELEASE_KEY: ${KEY_FILE} is not an ECDSA P-256 public key")
    endif()
    string(SUBSTRING "${key_hex}" 54 128 point_hex)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," LUMETRA_RELEASE_KEY_BYTES "${point_hex}")
    set(LUMETRA_HAS_RELEASE_KEY 1)
    message(STATUS "${OUT_HEADER}: server configurations must be signed by ${KEY_FILE}")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/src/workflow/release_key_bytes.h.in ${OUT_HEADER} @ONLY)
endfunction()

lumetra_release_key_header("${LUMETRA_RELEASE_KEY}" ${CMAKE_BINARY_DIR}/generated/release_key_bytes.h)
