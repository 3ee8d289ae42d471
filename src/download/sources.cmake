list(APPEND LUMETRA_CORE_SOURCES
  src/download/md5_core.cpp
  src/download/download_rules.cpp
  src/download/signature_der.cpp)
list(APPEND LUMETRA_WIN_SOURCES
  src/download/check_download_file.cpp
  src/download/cng.cpp
  src/download/destination_file.cpp
  src/download/file_signature.cpp
  src/download/http_download.cpp
  src/download/md5_digest.cpp
  src/download/transfer_abort.cpp)
