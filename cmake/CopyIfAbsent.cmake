# SPDX-License-Identifier: GPL-3.0-or-later
# Copies SRC to DST unless DST exists: shipped defaults never replace a user's file.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
